// Logging off goes to the desktop's session manager, which lets programs save their work or
// object, as Windows does for a log-off that is not forced. The login manager's
// TerminateSession would end every program of the session at once, so it is never used:
// without a session manager, log-off is refused.

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// GNOME's Logout mode that asks for no confirmation.
constexpr std::uint32_t GnomeWithoutConfirmation = 1;
// KDE Plasma 5's logout(confirm, type, mode): no confirmation, log out only, default mode.
constexpr std::int32_t KdeNoConfirmation = 0;
constexpr std::int32_t KdeLogOutOnly = 0;
constexpr std::int32_t KdeDefaultMode = -1;
// Xfce's Logout(show dialog, allow save): no dialog, but the session is saved as on any
// log-out.
constexpr int XfceNoDialog = 0;
constexpr int XfceSaveSession = 1;

}  // namespace

Bool ExitWindowsEx(std::uint32_t flags, std::uint32_t) {
    Attempts attempts("Logout");
    if (flags != EwxLogOff) {
        attempts.NoteMissing("only a plain log-off is known here");
        return attempts.Refuse();
    }
    BusConnection session(BusKind::Session);
    if (attempts.AskInTurn(
            session, BusWait::Interactive,
            BusRequest(GnomeSessionManager("Logout"), "u", GnomeWithoutConfirmation),
            BusRequest(PlasmaShutdown("logout"), nullptr),
            BusRequest(KdeSessionServer("logout"), "iii", KdeNoConfirmation, KdeLogOutOnly,
                       KdeDefaultMode),
            BusRequest(XfceSessionManager("Logout"), "bb", XfceNoDialog, XfceSaveSession))) {
        return 1;
    }
    attempts.NoteMissing("no session manager");
    return attempts.Refuse();
}

}  // namespace RawLayer::Os::Linux
