// The time of the last input, from how long the desktop says the user has been idle: GNOME's
// idle monitor (which also answers under Wayland), else the X server's screen saver extension.
// Where neither tells, the time is not known.

#include "platform/linux/bus_services.h"
#include "platform/linux/stand_ins.h"
#include "platform/linux/x11_display.h"

namespace RawLayer::Os::Linux {
namespace {

// The program acts once and ends, on one thread.
bool lastInputKnown = false;

bool DesktopIdleMilliseconds(std::uint64_t& idle) {
    BusConnection session(BusKind::Session);
    if (AskNumber(session, MutterIdleMonitor("GetIdletime"), idle).done) {
        return true;
    }
    X11Library library;
    return IdleMilliseconds(library.calls, idle);
}

}  // namespace

bool LastInputKnown() {
    return lastInputKnown;
}

Bool GetLastInputInfo(LastInputInfo* info) {
    std::uint64_t idle = 0;
    if (info == nullptr || !DesktopIdleMilliseconds(idle)) {
        return 0;
    }
    // Ticks wrap at 32 bits, and so does the difference.
    info->dwTime = GetTickCount() - static_cast<std::uint32_t>(idle);
    lastInputKnown = true;
    return 1;
}

}  // namespace RawLayer::Os::Linux
