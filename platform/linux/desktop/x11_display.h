#pragma once
// The few X11 calls for turning displays off, starting the screen saver and reading whether it
// runs or locks: the X server's own, or xscreensaver's through the messages and properties it
// documents. The libraries are loaded when needed, so that a machine without X needs none of
// them; the calls are a table, so that tests can watch them where the X server lacks an
// extension or no xscreensaver runs.

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

// XClientMessageEvent, padded to the size of an XEvent as XSendEvent reads it.
struct X11ClientMessage {
    int type;
    unsigned long serial;
    int sendEvent;
    X11Display* display;
    unsigned long window;
    unsigned long messageType;
    int format;
    long data[5];
    long padding[12];
};

using X11ErrorHandler = int (*)(X11Display* display, void* error);

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
    // For xscreensaver: its window among the root's children, its status on the root window,
    // and the message that asks it to start. Null when the core library lacks them.
    unsigned long (*internAtom)(X11Display* display, const char* name, int onlyIfExists);
    int (*queryTree)(X11Display* display, unsigned long window, unsigned long* root,
                     unsigned long* parent, unsigned long** children, unsigned int* count);
    int (*getWindowProperty)(X11Display* display, unsigned long window, unsigned long property,
                             long offset, long length, int remove, unsigned long type,
                             unsigned long* actualType, int* actualFormat, unsigned long* items,
                             unsigned long* bytesAfter, unsigned char** value);
    int (*free)(void* data);
    int (*sendEvent)(X11Display* display, unsigned long window, int propagate, long mask,
                     X11ClientMessage* event);
    int (*sync)(X11Display* display, int discard);
    // A window may go away while its properties are read; the default handler would end the
    // program for that.
    X11ErrorHandler (*setErrorHandler)(X11ErrorHandler handler);
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

// One display connection, closed again whatever happens; null when there is none.
class X11Connection {
  public:
    explicit X11Connection(const X11Calls& calls);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    const X11Calls& calls;
    X11Display* display;
};

// What xscreensaver says of itself on the display; NotRunning where no xscreensaver (or no
// display) is there.
enum class XscreensaverState { NotRunning, Idle, Blanked, Locked };
XscreensaverState ReadXscreensaverState(const X11Connection& connection);

// Turns the displays off through DPMS; false with the reason when the display or the
// extension is missing. Where keyMayBeDown() (asked only once the display can go off), the
// launcher could not wait for quiet input, and this waits a fixed moment for the key's release
// first.
bool ForceDisplaysOff(const X11Calls& calls, bool (*keyMayBeDown)(), std::string& reason);
// Starts the user's screen saver: xscreensaver where it runs, else the X server's own. True
// only once the one started reports that it is on; else false with the reason.
bool ActivateScreenSaver(const X11Calls& calls, std::string& reason);
// The time since the last input on the display; false when there is no display or extension.
bool IdleMilliseconds(const X11Calls& calls, std::uint64_t& idle);
// The time since the last input as the desktop tells it: GNOME's idle monitor (which also
// answers under Wayland), else the X server's screen saver extension; false where neither does.
bool DesktopIdleMilliseconds(std::uint64_t& idle);

}  // namespace RawLayer::Os::Linux
