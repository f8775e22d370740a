// Locking: the login manager asks the session's own locker to lock. "auto" is the caller's
// session or the user's display session; programs started from systemd user units, as many
// hot keys are, have no session of their own, so $XDG_SESSION_ID comes next, and then the
// desktop's screen saver on the session bus.

#include <cstdlib>

#include "platform/linux/logind.h"
#include "platform/linux/refusal.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

const BusMethod screenSaverLocks[] = {
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "Lock"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "Lock"},
};

}  // namespace

Bool LockWorkStation() {
    Attempts attempts("LockSession");
    {
        BusConnection system(BusKind::System);
        const char* sessionId = std::getenv("XDG_SESSION_ID");
        for (const char* session : {"auto", sessionId}) {
            if (session == nullptr || *session == '\0') {
                continue;
            }
            BusOutcome outcome = CallMethod(system, LogindManager("LockSession"), false,
                                            LookUpTimeout, "s", session);
            attempts.Note(LogindService, outcome);
            if (outcome.done) {
                return 1;
            }
        }
    }
    BusConnection session(BusKind::Session);
    for (const BusMethod& method : screenSaverLocks) {
        BusOutcome outcome = CallMethod(session, method, false, LookUpTimeout, nullptr);
        attempts.Note(method.service, outcome);
        if (outcome.done) {
            return 1;
        }
    }
    return attempts.Refuse();
}

}  // namespace RawLayer::Os::Linux
