// The broadcasts of displays off and of the screen saver, given to whichever desktop runs:
// KDE's and GNOME's own services on the session bus first, then the X server. Under Wayland
// only the desktop's services can do either.

#include <string>

#include "platform/linux/refusal.h"
#include "platform/linux/stand_ins.h"
#include "platform/linux/x11_display.h"

namespace RawLayer::Os::Linux {
namespace {

// Mutter's power-save mode for displays that are off.
constexpr std::int32_t MutterPowerSaveOff = 3;

const BusMethod kdeTurnOffScreen = {"org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                                    "org.kde.kglobalaccel.Component", "invokeShortcut"};
const BusMethod mutterProperty = {"org.gnome.Mutter.DisplayConfig",
                                  "/org/gnome/Mutter/DisplayConfig",
                                  "org.freedesktop.DBus.Properties", "Set"};
// GNOME, then the screen savers that took its name, then the common one of KDE and others.
const BusMethod screenSavers[] = {
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "SetActive"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver", "org.mate.ScreenSaver", "SetActive"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver", "org.cinnamon.ScreenSaver",
     "SetActive"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "SetActive"},
};

bool Tried(Attempts& attempts, const char* service, const BusOutcome& outcome) {
    attempts.Note(service, outcome);
    return outcome.done;
}

bool TurnDisplaysOff() {
    Attempts attempts("displays off");
    {
        BusConnection session(BusKind::Session);
        if (Tried(attempts, kdeTurnOffScreen.service,
                  CallMethod(session, kdeTurnOffScreen, false, LookUpTimeout, "s",
                             "Turn Off Screen")) ||
            Tried(attempts, mutterProperty.service,
                  CallMethod(session, mutterProperty, false, LookUpTimeout, "ssv",
                             mutterProperty.service, "PowerSaveMode", "i", MutterPowerSaveOff))) {
            return true;
        }
    }
    X11Library x11;
    std::string reason;
    if (ForceDisplaysOff(x11.calls, reason)) {
        return true;
    }
    attempts.NoteMissing(reason);
    return attempts.Refuse();
}

bool StartTheScreenSaver() {
    Attempts attempts("screen saver");
    {
        BusConnection session(BusKind::Session);
        for (const BusMethod& method : screenSavers) {
            if (Tried(attempts, method.service,
                      CallMethod(session, method, false, LookUpTimeout, "b", 1))) {
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
        return TurnDisplaysOff() ? 1 : 0;
    }
    if (wParam == ScScreenSave) {
        return StartTheScreenSaver() ? 1 : 0;
    }
    return 0;
}

}  // namespace RawLayer::Os::Linux
