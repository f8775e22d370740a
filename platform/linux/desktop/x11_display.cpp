#include "platform/linux/desktop/x11_display.h"

#include <dlfcn.h>

#include <chrono>
#include <thread>

#include "platform/linux/desktop/confirmation.h"

namespace RawLayer::Os::Linux {
namespace {

// XForceScreenSaver's mode, and the state XScreenSaverQueryInfo then reports.
constexpr int ScreenSaverActive = 1;
constexpr int ScreenSaverOn = 1;
constexpr unsigned short DpmsModeOff = 3;
// Started from a hot key, the key's release would wake the displays at once.
constexpr std::chrono::milliseconds KeyReleaseDelay{500};

template <typename Function>
void Load(void* library, const char* name, Function& function) {
    function = library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// A list or property the server allocated, freed with XFree.
template <typename Unit>
class X11Memory {
  public:
    explicit X11Memory(const X11Calls& calls) : calls(calls) {}
    ~X11Memory() {
        if (data != nullptr) {
            calls.free(data);
        }
    }
    X11Memory(const X11Memory&) = delete;
    X11Memory& operator=(const X11Memory&) = delete;

    const X11Calls& calls;
    Unit* data = nullptr;
};

constexpr unsigned long IntegerType = 19;
constexpr unsigned long StringType = 31;
constexpr int ClientMessageEvent = 33;

bool HasXscreensaverCalls(const X11Calls& calls) {
    return calls.internAtom != nullptr && calls.queryTree != nullptr &&
           calls.getWindowProperty != nullptr && calls.free != nullptr &&
           calls.sendEvent != nullptr && calls.sync != nullptr && calls.setErrorHandler != nullptr;
}

// The window xscreensaver keeps among the root's children, marked by its version property; 0
// where none is there.
unsigned long XscreensaverWindow(const X11Connection& connection) {
    const X11Calls& calls = connection.calls;
    unsigned long versionAtom = calls.internAtom(connection.display, "_SCREENSAVER_VERSION", 1);
    if (versionAtom == 0) {
        return 0;
    }
    unsigned long root = 0;
    unsigned long parent = 0;
    X11Memory<unsigned long> children(calls);
    unsigned int count = 0;
    if (calls.queryTree(connection.display, calls.defaultRootWindow(connection.display), &root,
                        &parent, &children.data, &count) == 0) {
        return 0;
    }
    X11ErrorHandler previous = calls.setErrorHandler([](X11Display*, void*) { return 0; });
    unsigned long found = 0;
    for (unsigned int index = 0; index < count && found == 0; ++index) {
        unsigned long type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        X11Memory<unsigned char> version(calls);
        if (calls.getWindowProperty(connection.display, children.data[index], versionAtom, 0, 64, 0,
                                    StringType, &type, &format, &items, &after,
                                    &version.data) == 0 &&
            type == StringType && items > 0) {
            found = children.data[index];
        }
    }
    // Errors of windows gone meanwhile arrive by the round trip, still with the quiet handler.
    calls.sync(connection.display, 0);
    calls.setErrorHandler(previous);
    return found;
}

}  // namespace

X11Connection::X11Connection(const X11Calls& calls)
    : calls(calls), display(calls.openDisplay != nullptr ? calls.openDisplay(nullptr) : nullptr) {}

X11Connection::~X11Connection() {
    if (display != nullptr) {
        calls.closeDisplay(display);
    }
}

XscreensaverState ReadXscreensaverState(const X11Connection& connection) {
    const X11Calls& calls = connection.calls;
    if (connection.display == nullptr || !HasXscreensaverCalls(calls) ||
        calls.defaultRootWindow == nullptr || XscreensaverWindow(connection) == 0) {
        return XscreensaverState::NotRunning;
    }
    // The root's status: what the saver does now (an atom, 0 while idle), then when it began.
    unsigned long statusAtom = calls.internAtom(connection.display, "_SCREENSAVER_STATUS", 1);
    unsigned long type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    X11Memory<long> status(calls);
    if (statusAtom == 0 ||
        calls.getWindowProperty(connection.display, calls.defaultRootWindow(connection.display),
                                statusAtom, 0, 16, 0, IntegerType, &type, &format, &items, &after,
                                reinterpret_cast<unsigned char**>(&status.data)) != 0 ||
        type != IntegerType || format != 32 || items == 0) {
        return XscreensaverState::Idle;
    }
    auto now = static_cast<unsigned long>(status.data[0]);
    if (now != 0 && now == calls.internAtom(connection.display, "LOCK", 1)) {
        return XscreensaverState::Locked;
    }
    if (now != 0 && now == calls.internAtom(connection.display, "BLANK", 1)) {
        return XscreensaverState::Blanked;
    }
    return XscreensaverState::Idle;
}

X11Library::X11Library()
    : core(dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL)),
      extensions(dlopen("libXext.so.6", RTLD_NOW | RTLD_LOCAL)),
      screenSaver(dlopen("libXss.so.1", RTLD_NOW | RTLD_LOCAL)) {
    Load(core, "XOpenDisplay", calls.openDisplay);
    Load(core, "XCloseDisplay", calls.closeDisplay);
    Load(core, "XForceScreenSaver", calls.forceScreenSaver);
    Load(core, "XFlush", calls.flush);
    Load(extensions, "DPMSQueryExtension", calls.dpmsQueryExtension);
    Load(extensions, "DPMSCapable", calls.dpmsCapable);
    Load(extensions, "DPMSForceLevel", calls.dpmsForceLevel);
    Load(core, "XDefaultRootWindow", calls.defaultRootWindow);
    Load(screenSaver, "XScreenSaverQueryExtension", calls.queryScreenSaverExtension);
    Load(screenSaver, "XScreenSaverQueryInfo", calls.queryScreenSaverInfo);
    Load(core, "XInternAtom", calls.internAtom);
    Load(core, "XQueryTree", calls.queryTree);
    Load(core, "XGetWindowProperty", calls.getWindowProperty);
    Load(core, "XFree", calls.free);
    Load(core, "XSendEvent", calls.sendEvent);
    Load(core, "XSync", calls.sync);
    Load(core, "XSetErrorHandler", calls.setErrorHandler);
    if (calls.openDisplay == nullptr || calls.closeDisplay == nullptr ||
        calls.forceScreenSaver == nullptr || calls.flush == nullptr) {
        calls = X11Calls{};
    }
}

X11Library::~X11Library() {
    if (screenSaver != nullptr) {
        dlclose(screenSaver);
    }
    if (extensions != nullptr) {
        dlclose(extensions);
    }
    if (core != nullptr) {
        dlclose(core);
    }
}

bool ForceDisplaysOff(const X11Calls& calls, bool (*keyMayBeDown)(), std::string& reason) {
    X11Connection open(calls);
    if (open.display == nullptr) {
        reason = calls.openDisplay != nullptr ? "no X display" : "no X11 library";
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (calls.dpmsQueryExtension == nullptr || calls.dpmsCapable == nullptr ||
        calls.dpmsForceLevel == nullptr ||
        calls.dpmsQueryExtension(open.display, &eventBase, &errorBase) == 0 ||
        calls.dpmsCapable(open.display) == 0) {
        reason = "the X display has no DPMS extension";
        return false;
    }
    if (keyMayBeDown()) {
        std::this_thread::sleep_for(KeyReleaseDelay);
    }
    calls.dpmsForceLevel(open.display, DpmsModeOff);
    calls.flush(open.display);
    return true;
}

bool IdleMilliseconds(const X11Calls& calls, std::uint64_t& idle) {
    X11Connection open(calls);
    int eventBase = 0;
    int errorBase = 0;
    X11ScreenSaverInfo info{};
    if (open.display == nullptr || calls.defaultRootWindow == nullptr ||
        calls.queryScreenSaverExtension == nullptr || calls.queryScreenSaverInfo == nullptr ||
        calls.queryScreenSaverExtension(open.display, &eventBase, &errorBase) == 0 ||
        calls.queryScreenSaverInfo(open.display, calls.defaultRootWindow(open.display), &info) ==
            0) {
        return false;
    }
    idle = info.idle;
    return true;
}

bool ActivateScreenSaver(const X11Calls& calls, std::string& reason) {
    X11Connection open(calls);
    if (open.display == nullptr) {
        reason = calls.openDisplay != nullptr ? "no X display" : "no X11 library";
        return false;
    }
    unsigned long saver = HasXscreensaverCalls(calls) && calls.defaultRootWindow != nullptr
                              ? XscreensaverWindow(open)
                              : 0;
    if (saver != 0) {
        // xscreensaver's own request; the X server's blanking would leave it idle underneath.
        X11ClientMessage message{};
        message.type = ClientMessageEvent;
        message.display = open.display;
        message.window = saver;
        message.messageType = calls.internAtom(open.display, "SCREENSAVER", 0);
        message.format = 32;
        message.data[0] = static_cast<long>(calls.internAtom(open.display, "ACTIVATE", 0));
        calls.sendEvent(open.display, saver, 0, 0, &message);
        calls.sync(open.display, 0);
        if (!WaitForConfirmation(
                [&open] { return ReadXscreensaverState(open) >= XscreensaverState::Blanked; })) {
            reason = "xscreensaver did not report that it started";
            return false;
        }
        return true;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (calls.defaultRootWindow == nullptr || calls.queryScreenSaverExtension == nullptr ||
        calls.queryScreenSaverInfo == nullptr ||
        calls.queryScreenSaverExtension(open.display, &eventBase, &errorBase) == 0) {
        reason = "the X display cannot tell whether its screen saver runs";
        return false;
    }
    calls.forceScreenSaver(open.display, ScreenSaverActive);
    calls.flush(open.display);
    if (!WaitForConfirmation([&open, &calls] {
            X11ScreenSaverInfo info{};
            return calls.queryScreenSaverInfo(open.display, calls.defaultRootWindow(open.display),
                                              &info) != 0 &&
                   info.state == ScreenSaverOn;
        })) {
        reason = "the X display's screen saver did not come on";
        return false;
    }
    return true;
}

}  // namespace RawLayer::Os::Linux
