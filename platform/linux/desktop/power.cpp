// Suspend and shutdown go to the login manager, which asks polkit whether this user may: the
// calls allow interactive authorisation, so a password dialog may appear and be waited for. A
// plain shutdown is first held back by any program that blocks it.

#include <string>
#include <string_view>
#include <utility>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// Newer systemd's flag to shut down despite inhibitors; systemd 252 refuses every flag it
// does not know, and elogind has no *WithFlags methods at all.
constexpr std::uint64_t SkipInhibitors = 0x10;

// Whether a colon-separated list of what an inhibitor holds back names shutdown.
bool HoldsShutdown(std::string_view what) {
    while (!what.empty()) {
        std::size_t end = what.find(':');
        if (what.substr(0, end) == "shutdown") {
            return true;
        }
        what = end == std::string_view::npos ? std::string_view() : what.substr(end + 1);
    }
    return false;
}

// The programs that hold a plain shutdown back, each with its reason ("Brasero (burning a
// disc)"), comma-separated; empty where none does or the list cannot be read. logind lets a
// caller through a block inhibitor of the caller's own user, and asks polkit about anyone
// else's; either way the user would lose what such a program protects, so it is named and the
// shutdown not asked for. Delay inhibitors only hold a shutdown up for a moment.
std::string ShutdownHolders(const BusConnection& system) {
    BusMessage reply;
    BusMessage call = NewCall(system, LogindManager("ListInhibitors"), BusWait::LookUp);
    if (!Call(system, std::move(call), BusWait::LookUp, &reply).done ||
        sd_bus_message_enter_container(reply.Get(), 'a', "(ssssuu)") <= 0) {
        return {};
    }
    std::string holders;
    const char* what = nullptr;
    const char* who = nullptr;
    const char* why = nullptr;
    const char* mode = nullptr;
    std::uint32_t uid = 0;
    std::uint32_t pid = 0;
    while (sd_bus_message_read(reply.Get(), "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0) {
        if (std::string_view(mode) == "block" && HoldsShutdown(what)) {
            holders += (holders.empty() ? "" : ", ") + std::string(who) + " (" + why + ")";
        }
    }
    return holders;
}

}  // namespace

Bool InitiateSystemShutdownExA(char* machine, char*, std::uint32_t, Bool force, Bool reboot,
                               std::uint32_t) {
    Attempts attempts(reboot != 0 ? "Reboot" : "PowerOff");
    if (machine != nullptr) {
        attempts.NoteMissing("only this machine can be shut down");
        return attempts.Refuse();
    }
    BusConnection system(BusKind::System);
    if (force == 0) {
        std::string holders = ShutdownHolders(system);
        if (!holders.empty()) {
            return attempts.Refuse("held back by " + holders);
        }
    }
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
