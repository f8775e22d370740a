// Locking: the login manager asks the session's own locker to lock. "auto" is the caller's
// session or the user's display session; programs started from systemd user units, as many
// hot keys are, have no session of their own, so $XDG_SESSION_ID comes next, and then the
// desktop's screen saver on the session bus.

#include <cstdlib>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

Bool LockWorkStation() {
    Attempts attempts("LockSession");
    {
        BusConnection system(BusKind::System);
        const char* sessionId = std::getenv("XDG_SESSION_ID");
        for (const char* session : {"auto", sessionId}) {
            if (session != nullptr && *session != '\0' &&
                attempts.AskInTurn(system, BusWait::LookUp,
                                   BusRequest(LogindManager("LockSession"), "s", session))) {
                return 1;
            }
        }
    }
    BusConnection session(BusKind::Session);
    return attempts.AskInTurn(session, BusWait::LookUp,
                              BusRequest(FreedesktopScreenSaver("Lock"), nullptr),
                              BusRequest(GnomeScreenSaver("Lock"), nullptr))
               ? 1
               : attempts.Refuse();
}

// Whether the session is locked is not read yet (logind's LockedHint would tell), so the state
// is unreadable and the suspend that follows a lock does not wait for it.
Bool WTSQuerySessionInformationW(Handle, std::uint32_t, std::int32_t, WideUnit**, std::uint32_t*) {
    return 0;
}

// Frees what WTSQuerySessionInformationW hands out, which is nothing yet.
void WTSFreeMemory(void*) {}

}  // namespace RawLayer::Os::Linux
