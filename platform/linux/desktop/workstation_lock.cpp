// Locking: the login manager asks the session's own locker to lock. "auto" is the caller's
// session or the user's display session; programs started from systemd user units, as many
// hot keys are, have no session of their own, so $XDG_SESSION_ID comes next, and then the
// desktop's own locking methods on the session bus.
//
// The login manager answers before any locker has done anything, and whether or not one
// listens at all (GNOME Shell without a display manager has no lock screen). So a lock counts
// only once the session shows it: logind's LockedHint, which GNOME Shell and KWin set once their
// lock screen is up, or xscreensaver's own status, since it sets no hint. Lockers that show the
// lock nowhere (swaylock under swayidle) lock, and the program still reports that it could not
// confirm it: a wrong "locked" is worse than a needless message.

#include <cstdlib>
#include <string>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/desktop/confirmation.h"
#include "platform/linux/desktop/x11_display.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// The places a lock shows, read as often as the wait asks.
class LockWatch {
  public:
    LockWatch(const BusConnection& system, const X11Calls& x11) : system(system), x11(x11) {
        const char* sessionId = std::getenv("XDG_SESSION_ID");
        for (const char* session : {"auto", sessionId}) {
            if (session != nullptr && *session != '\0' &&
                AskPath(system, LogindManager("GetSession"), session, sessionPath).done) {
                break;
            }
        }
    }

    bool Locked() const {
        bool hint = false;
        return (!sessionPath.empty() &&
                AskFlagProperty(system,
                                {LogindManager.service, sessionPath.c_str(),
                                 "org.freedesktop.DBus.Properties", "Get"},
                                LogindSessionInterface, "LockedHint", hint)
                    .done &&
                hint) ||
               ReadXscreensaverState(x11) == XscreensaverState::Locked;
    }

    bool WaitForLock() const {
        return WaitForConfirmation([this] { return Locked(); });
    }

  private:
    const BusConnection& system;
    X11Connection x11;
    std::string sessionPath;
};

}  // namespace

Bool LockWorkStation() {
    Attempts attempts("LockSession");
    BusConnection system(BusKind::System);
    X11Library x11;
    LockWatch watch(system, x11.calls);
    std::string asked;
    const char* sessionId = std::getenv("XDG_SESSION_ID");
    for (const char* session : {"auto", sessionId}) {
        if (session != nullptr && *session != '\0' &&
            attempts.AskInTurn(system, BusWait::LookUp,
                               BusRequest(LogindManager("LockSession"), "s", session))) {
            asked = LogindManager.service;
            if (watch.WaitForLock()) {
                return 1;
            }
            break;
        }
    }
    BusConnection session(BusKind::Session);
    for (const BusInterface& locker :
         {FreedesktopScreenSaver, GnomeShellScreenShield, GnomeScreenSaver}) {
        BusOutcome outcome = CallMethod(session, locker("Lock"), BusWait::LookUp, nullptr);
        if (OnlyInhibits(outcome)) {
            attempts.NoteMissing(std::string(locker.service) + " only inhibits");
        } else if (attempts.Tried(locker.service, outcome)) {
            asked += (asked.empty() ? "" : " and ") + std::string(locker.service);
            if (watch.WaitForLock()) {
                return 1;
            }
            break;
        }
    }
    return asked.empty() ? attempts.Refuse()
                         : attempts.Refuse("asked " + asked + "; no locker confirmed the lock");
}

// LockWorkStation above returns only once the session shows the lock, or has said that nothing
// confirmed it, so a suspend after it has nothing left to wait for: the state is not read twice.
Bool WTSQuerySessionInformationW(Handle, std::uint32_t, std::int32_t, WideUnit**, std::uint32_t*) {
    return 0;
}

// Frees what WTSQuerySessionInformationW hands out, which is nothing.
void WTSFreeMemory(void*) {}

}  // namespace RawLayer::Os::Linux
