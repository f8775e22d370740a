// The broadcasts of displays off and of the screen saver, given to whichever desktop runs:
// KDE's and GNOME's own services on the session bus first, then the X server; on other Wayland
// compositors, their own protocol for the displays. A screen saver counts as started only once it
// says it is active: the services answer before it is, and some names are taken by services
// that only take inhibitions.

#include <string>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/desktop/confirmation.h"
#include "platform/linux/desktop/wayland_outputs.h"
#include "platform/linux/desktop/x11_display.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// Mutter's power-save mode for displays that are off.
constexpr std::int32_t MutterPowerSaveOff = 3;

// KDE's and GNOME's own services, then wlroots' protocol on Wayland, then the X server. A
// Wayland compositor that refuses is the answer: the X server, if any, is its own XWayland.
bool DisplaysOff() {
    Attempts attempts("displays off");
    {
        BusConnection session(BusKind::Session);
        if (attempts.AskInTurn(
                session, BusWait::LookUp,
                BusRequest(KdePowerShortcuts("invokeShortcut"), "s", "Turn Off Screen"),
                BusRequest(MutterDisplayConfig.PropertySetter(), "ssv",
                           MutterDisplayConfig.interface, "PowerSaveMode", "i",
                           MutterPowerSaveOff))) {
            return true;
        }
    }
    std::string reason;
    switch (TurnWaylandOutputsOff(reason)) {
        case WaylandOutputsOff::Done:
            return true;
        case WaylandOutputsOff::Refused:
            attempts.NoteRefusal(reason);
            return attempts.Refuse();
        case WaylandOutputsOff::Missing:
            if (!reason.empty()) {
                attempts.NoteMissing(reason);
            }
            break;
    }
    X11Library x11;
    // The launcher waited for quiet input where the desktop tells the idle time.
    if (ForceDisplaysOff(
            x11.calls,
            [] {
                std::uint64_t idle = 0;
                return !DesktopIdleMilliseconds(idle);
            },
            reason)) {
        return true;
    }
    attempts.NoteMissing(reason);
    return attempts.Refuse();
}

// One screen saver service, asked to start and then whether it is active.
bool StartedOverBus(const BusConnection& session, Attempts& attempts, const BusInterface& saver) {
    BusOutcome outcome = CallMethod(session, saver("SetActive"), BusWait::LookUp, "b", 1);
    if (OnlyInhibits(outcome)) {
        attempts.NoteMissing(std::string(saver.service) + " only inhibits");
        return false;
    }
    if (!attempts.Tried(saver.service, outcome)) {
        return false;
    }
    if (WaitForConfirmation([&] {
            bool active = false;
            return AskFlag(session, saver("GetActive"), active).done && active;
        })) {
        return true;
    }
    attempts.NoteRefusal(std::string(saver.service) + " did not report that it is active");
    return false;
}

bool StartScreenSaver() {
    Attempts attempts("screen saver");
    {
        BusConnection session(BusKind::Session);
        for (const BusInterface& saver : {GnomeShellScreenShield, GnomeScreenSaver, MateScreenSaver,
                                          CinnamonScreenSaver, FreedesktopScreenSaver}) {
            if (StartedOverBus(session, attempts, saver)) {
                return true;
            }
        }
    }
    X11Library x11;
    std::string reason;
    if (ActivateScreenSaver(x11.calls, reason)) {
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
        return DisplaysOff() ? 1 : 0;
    }
    if (wParam == ScScreenSave) {
        return StartScreenSaver() ? 1 : 0;
    }
    return 0;
}

}  // namespace RawLayer::Os::Linux
