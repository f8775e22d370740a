#pragma once
// The few X11 calls for turning displays off and starting the core screen saver. The
// libraries are loaded when needed, so that a machine without X needs none of them; the calls
// are a table, so that tests can watch them where the X server lacks an extension.

#include <cstdint>
#include <string>

namespace RawLayer::Os::Linux {

struct X11Display;

// XScreenSaverInfo: the screen saver extension's answer, with the time since the last input.
struct X11ScreenSaverInfo {
    unsigned long window;
    int state;
    int kind;
    unsigned long tilOrSince;
    unsigned long idle;  // milliseconds
    unsigned long eventMask;
};

struct X11Calls {
    X11Display* (*openDisplay)(const char* name);
    int (*closeDisplay)(X11Display* display);
    int (*forceScreenSaver)(X11Display* display, int mode);
    int (*flush)(X11Display* display);
    // From the DPMS extension's library; null when it is not installed.
    int (*dpmsQueryExtension)(X11Display* display, int* eventBase, int* errorBase);
    int (*dpmsCapable)(X11Display* display);
    int (*dpmsForceLevel)(X11Display* display, unsigned short level);
    unsigned long (*defaultRootWindow)(X11Display* display);
    // From the screen saver extension's library; null when it is not installed. Asked for the
    // idle time on a server without the extension, Xlib writes a warning on standard error, so
    // the extension is looked for first.
    int (*queryScreenSaverExtension)(X11Display* display, int* eventBase, int* errorBase);
    int (*queryScreenSaverInfo)(X11Display* display, unsigned long drawable,
                                X11ScreenSaverInfo* info);
};

// libX11, libXext and libXss, loaded for the life of the object.
class X11Library {
  public:
    X11Library();
    ~X11Library();
    X11Library(const X11Library&) = delete;
    X11Library& operator=(const X11Library&) = delete;

    // All null when the core library is missing: the calls that take a display say so.
    X11Calls calls{};

  private:
    void* core = nullptr;
    void* extensions = nullptr;
    void* screenSaver = nullptr;
};

// Turns the displays off through DPMS; false with the reason when the display or the
// extension is missing. Where keyMayBeDown() (asked only once the display can go off), the
// launcher could not wait for quiet input, and this waits a fixed moment for the key's release
// first.
bool ForceDisplaysOff(const X11Calls& calls, bool (*keyMayBeDown)(), std::string& reason);
// Starts the core screen saver; false with the reason when there is no display.
bool ActivateScreenSaver(const X11Calls& calls, std::string& reason);
// The time since the last input on the display; false when there is no display or extension.
bool IdleMilliseconds(const X11Calls& calls, std::uint64_t& idle);
// The time since the last input as the desktop tells it: GNOME's idle monitor (which also
// answers under Wayland), else the X server's screen saver extension; false where neither does.
bool DesktopIdleMilliseconds(std::uint64_t& idle);

}  // namespace RawLayer::Os::Linux
