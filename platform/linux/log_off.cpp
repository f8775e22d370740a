// Logging off goes to the desktop's session manager, which lets programs save their work or
// object, as Windows does for a log-off that is not forced. The login manager's
// TerminateSession would end every program of the session at once, so it is never used:
// without a session manager, log-off is refused.

#include "platform/linux/refusal.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// GNOME's Logout mode that asks for no confirmation.
constexpr std::uint32_t GnomeWithoutConfirmation = 1;
// KDE Plasma 5's logout(confirm, type, mode): no confirmation, log out only, default mode.
constexpr std::int32_t KdeNoConfirmation = 0;
constexpr std::int32_t KdeLogOutOnly = 0;
constexpr std::int32_t KdeDefaultMode = -1;

const BusMethod gnomeLogout = {"org.gnome.SessionManager", "/org/gnome/SessionManager",
                               "org.gnome.SessionManager", "Logout"};
const BusMethod plasmaLogout = {"org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout"};
const BusMethod ksmserverLogout = {"org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface",
                                   "logout"};
const BusMethod xfceLogout = {"org.xfce.SessionManager", "/org/xfce/SessionManager",
                              "org.xfce.Session.Manager", "Logout"};

// Each session manager in turn, until one takes the request.
bool AskSessionManagers(const BusConnection& session, Attempts& attempts) {
    BusOutcome outcome =
        CallMethod(session, gnomeLogout, true, InteractiveTimeout, "u", GnomeWithoutConfirmation);
    attempts.Note(gnomeLogout.service, outcome);
    if (outcome.done) {
        return true;
    }
    outcome = CallMethod(session, plasmaLogout, true, InteractiveTimeout, nullptr);
    attempts.Note(plasmaLogout.service, outcome);
    if (outcome.done) {
        return true;
    }
    outcome = CallMethod(session, ksmserverLogout, true, InteractiveTimeout, "iii",
                         KdeNoConfirmation, KdeLogOutOnly, KdeDefaultMode);
    attempts.Note(ksmserverLogout.service, outcome);
    if (outcome.done) {
        return true;
    }
    // Xfce: no dialog, but the session is saved as on any log-out.
    outcome = CallMethod(session, xfceLogout, true, InteractiveTimeout, "bb", 0, 1);
    attempts.Note(xfceLogout.service, outcome);
    return outcome.done;
}

}  // namespace

Bool ExitWindowsEx(std::uint32_t flags, std::uint32_t) {
    Attempts attempts("Logout");
    if (flags != EwxLogOff) {
        attempts.NoteMissing("only a plain log-off is known here");
        return attempts.Refuse();
    }
    BusConnection session(BusKind::Session);
    if (AskSessionManagers(session, attempts)) {
        return 1;
    }
    attempts.NoteMissing("no session manager");
    return attempts.Refuse();
}

}  // namespace RawLayer::Os::Linux
