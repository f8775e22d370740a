#include "platform/linux/desktop/x11_display.h"

#include <dlfcn.h>

#include <chrono>
#include <thread>

namespace RawLayer::Os::Linux {
namespace {

constexpr int ScreenSaverActive = 1;
constexpr unsigned short DpmsModeOff = 3;
// Started from a hot key, the key's release would wake the displays at once.
constexpr std::chrono::milliseconds KeyReleaseDelay{500};

template <typename Function>
void Load(void* library, const char* name, Function& function) {
    function = library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// An open display, closed again whatever happens.
class OpenDisplay {
  public:
    explicit OpenDisplay(const X11Calls& calls)
        : calls(calls),
          display(calls.openDisplay != nullptr ? calls.openDisplay(nullptr) : nullptr) {}
    ~OpenDisplay() {
        if (display != nullptr) {
            calls.closeDisplay(display);
        }
    }
    OpenDisplay(const OpenDisplay&) = delete;
    OpenDisplay& operator=(const OpenDisplay&) = delete;

    const X11Calls& calls;
    X11Display* display;
};

}  // namespace

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
    OpenDisplay open(calls);
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
    OpenDisplay open(calls);
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
    OpenDisplay open(calls);
    if (open.display == nullptr) {
        reason = calls.openDisplay != nullptr ? "no X display" : "no X11 library";
        return false;
    }
    calls.forceScreenSaver(open.display, ScreenSaverActive);
    calls.flush(open.display);
    return true;
}

}  // namespace RawLayer::Os::Linux
