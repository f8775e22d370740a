// The broadcasts of displays off and of the screen saver, given to whichever desktop runs:
// KDE's and GNOME's own services on the session bus first, then the X server. Under Wayland
// only the desktop's services can do either.

#include <string>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/desktop/x11_display.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// Mutter's power-save mode for displays that are off.
constexpr std::int32_t MutterPowerSaveOff = 3;

// The desktop's services in turn, then the X server's way of doing the same.
template <typename ThroughX11, typename... Requests>
bool Broadcast(const char* action, ThroughX11 throughX11, const Requests&... requests) {
    Attempts attempts(action);
    {
        BusConnection session(BusKind::Session);
        if (attempts.AskInTurn(session, BusWait::LookUp, requests...)) {
            return true;
        }
    }
    X11Library x11;
    std::string reason;
    if (throughX11(x11.calls, reason)) {
        return true;
    }
    attempts.NoteMissing(reason);
    return attempts.Refuse();
}

}  // namespace

Bool PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam) {
    if (reinterpret_cast<std::uintptr_t>(window) != HwndBroadcast || message != WmSysCommand) {
        return 0;
    }
    if (wParam == ScMonitorPower && lParam == MonitorOff) {
        // The launcher waited for quiet input where the desktop tells the idle time.
        auto throughX11 = [](const X11Calls& calls, std::string& reason) {
            return ForceDisplaysOff(
                calls,
                [] {
                    std::uint64_t idle = 0;
                    return !DesktopIdleMilliseconds(idle);
                },
                reason);
        };
        return Broadcast("displays off", throughX11,
                         BusRequest(KdePowerShortcuts("invokeShortcut"), "s", "Turn Off Screen"),
                         BusRequest(MutterDisplayConfig.PropertySetter(), "ssv",
                                    MutterDisplayConfig.interface, "PowerSaveMode", "i",
                                    MutterPowerSaveOff))
                   ? 1
                   : 0;
    }
    if (wParam == ScScreenSave) {
        return Broadcast("screen saver", ActivateScreenSaver,
                         BusRequest(GnomeScreenSaver("SetActive"), "b", 1),
                         BusRequest(MateScreenSaver("SetActive"), "b", 1),
                         BusRequest(CinnamonScreenSaver("SetActive"), "b", 1),
                         BusRequest(FreedesktopScreenSaver("SetActive"), "b", 1))
                   ? 1
                   : 0;
    }
    return 0;
}

}  // namespace RawLayer::Os::Linux
