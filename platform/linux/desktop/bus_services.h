#pragma once
// Every service the program talks to over D-Bus: the login manager (systemd-logind or elogind)
// on the system bus, where suspending, shutting down and locking sessions go, and the desktops'
// own services on the session bus, for the displays, the screen saver, locking and log-off.

#include "platform/linux/desktop/bus_call.h"

namespace RawLayer::Os::Linux {

// An interface of an object on a bus; its members are the methods called.
struct BusInterface {
    const char* service;
    const char* path;
    const char* interface;

    BusMethod operator()(const char* member) const { return {service, path, interface, member}; }
    // The standard interface that sets this interface's properties.
    BusMethod PropertySetter() const {
        return {service, path, "org.freedesktop.DBus.Properties", "Set"};
    }
};

// System bus.
inline constexpr BusInterface LogindManager = {"org.freedesktop.login1", "/org/freedesktop/login1",
                                               "org.freedesktop.login1.Manager"};
// A session's interface, at the path the manager's GetSession names.
inline constexpr const char* LogindSessionInterface = "org.freedesktop.login1.Session";

// Session bus: the time since the last input, in GNOME.
inline constexpr BusInterface MutterIdleMonitor = {"org.gnome.Mutter.IdleMonitor",
                                                   "/org/gnome/Mutter/IdleMonitor/Core",
                                                   "org.gnome.Mutter.IdleMonitor"};

// Session bus: displays.
inline constexpr BusInterface KdePowerShortcuts = {
    "org.kde.kglobalaccel", "/component/org_kde_powerdevil", "org.kde.kglobalaccel.Component"};
inline constexpr BusInterface MutterDisplayConfig = {"org.gnome.Mutter.DisplayConfig",
                                                     "/org/gnome/Mutter/DisplayConfig",
                                                     "org.gnome.Mutter.DisplayConfig"};

// Session bus: screen savers and lockers. GNOME's, served by the shell under its own name and
// by a proxy started on demand under GNOME's; the ones that took its name (MATE, Cinnamon); and
// the common one of KDE and others.
inline constexpr BusInterface GnomeShellScreenShield = {
    "org.gnome.Shell.ScreenShield", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"};
inline constexpr BusInterface GnomeScreenSaver = {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver",
                                                  "org.gnome.ScreenSaver"};
inline constexpr BusInterface MateScreenSaver = {"org.mate.ScreenSaver", "/org/mate/ScreenSaver",
                                                 "org.mate.ScreenSaver"};
inline constexpr BusInterface CinnamonScreenSaver = {
    "org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver", "org.cinnamon.ScreenSaver"};
inline constexpr BusInterface FreedesktopScreenSaver = {
    "org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"};

// Session bus: session managers, for log-off; KDE has two.
inline constexpr BusInterface GnomeSessionManager = {
    "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager"};
inline constexpr BusInterface PlasmaShutdown = {"org.kde.Shutdown", "/Shutdown",
                                                "org.kde.Shutdown"};
inline constexpr BusInterface KdeSessionServer = {"org.kde.ksmserver", "/KSMServer",
                                                  "org.kde.KSMServerInterface"};
inline constexpr BusInterface XfceSessionManager = {
    "org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager"};

}  // namespace RawLayer::Os::Linux
