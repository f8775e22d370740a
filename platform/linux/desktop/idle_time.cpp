// The time of the last input, from how long the desktop says the user has been idle: GNOME's
// idle monitor (which also answers under Wayland), else the X server's screen saver extension.
// Where neither tells, the time is not known.

#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/desktop/x11_display.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

bool DesktopIdleMilliseconds(std::uint64_t& idle) {
    BusConnection session(BusKind::Session);
    if (AskNumber(session, MutterIdleMonitor("GetIdletime"), idle).done) {
        return true;
    }
    X11Library library;
    return IdleMilliseconds(library.calls, idle);
}

Bool GetLastInputInfo(LastInputInfo* info) {
    std::uint64_t idle = 0;
    if (info == nullptr || !DesktopIdleMilliseconds(idle)) {
        return 0;
    }
    // Ticks wrap at 32 bits, and so does the difference.
    info->dwTime = GetTickCount() - static_cast<std::uint32_t>(idle);
    return 1;
}

}  // namespace RawLayer::Os::Linux
