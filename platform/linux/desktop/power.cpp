// Suspend and shutdown go to the login manager, which asks polkit whether this user may: the
// calls allow interactive authorisation, so a password dialog may appear and be waited for.

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// Newer systemd's flag to shut down despite inhibitors; systemd 252 refuses every flag it
// does not know, and elogind has no *WithFlags methods at all.
constexpr std::uint64_t SkipInhibitors = 0x10;

}  // namespace

Bool InitiateSystemShutdownExA(char* machine, char*, std::uint32_t, Bool force, Bool reboot,
                               std::uint32_t) {
    Attempts attempts(reboot != 0 ? "Reboot" : "PowerOff");
    if (machine != nullptr) {
        attempts.NoteMissing("only this machine can be shut down");
        return attempts.Refuse();
    }
    BusConnection system(BusKind::System);
    BusMethod withFlags = LogindManager(reboot != 0 ? "RebootWithFlags" : "PowerOffWithFlags");
    BusOutcome outcome = CallMethod(system, withFlags, BusWait::Interactive, "t",
                                    force != 0 ? SkipInhibitors : std::uint64_t{0});
    if (force != 0 && outcome.Is(SD_BUS_ERROR_INVALID_ARGS)) {
        outcome = CallMethod(system, withFlags, BusWait::Interactive, "t", std::uint64_t{0});
    }
    if (outcome.Is(SD_BUS_ERROR_UNKNOWN_METHOD)) {
        outcome = CallMethod(system, LogindManager(reboot != 0 ? "Reboot" : "PowerOff"),
                             BusWait::Interactive, "b", 1);
    }
    return attempts.Tried(LogindManager.service, outcome) ? 1 : attempts.Refuse();
}

std::uint8_t SetSuspendState(std::uint8_t hibernate, std::uint8_t, std::uint8_t) {
    const char* member = hibernate != 0 ? "Hibernate" : "Suspend";
    Attempts attempts(member);
    BusConnection system(BusKind::System);
    return attempts.AskInTurn(system, BusWait::Interactive,
                              BusRequest(LogindManager(member), "b", 1))
               ? 1
               : attempts.Refuse();
}

}  // namespace RawLayer::Os::Linux
