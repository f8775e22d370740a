// The capability record, for its sleep states only: natively they are what the login manager
// says it can do. "yes" and "challenge" (allowed after a password) count as present; "no" and
// "na" (not on this machine, such as hibernation without swap) as absent. Without a login
// manager nothing is known, and the record is not readable.

#include <cstdio>
#include <cstring>

#include "platform/linux/desktop/attempts.h"
#include "platform/linux/desktop/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

std::uint8_t Present(const std::string& answer) {
    return answer == "yes" || answer == "challenge" ? 1 : 0;
}

// The login manager's answers to CanSuspend and CanHibernate; false without a login manager.
bool AskSleepStates(std::string& canSuspend, std::string& canHibernate) {
    BusConnection system(BusKind::System);
    return AskText(system, LogindManager("CanSuspend"), canSuspend).done &&
           AskText(system, LogindManager("CanHibernate"), canHibernate).done;
}

}  // namespace

void SayWhySleepWasRefused(bool hibernate) {
    std::string canSuspend;
    std::string canHibernate;
    if (!AskSleepStates(canSuspend, canHibernate) ||
        Present(hibernate ? canHibernate : canSuspend) != 0) {
        return;
    }
    std::fprintf(
        stderr,
        "velmoran: %s can %ssuspend (CanSuspend: %s) and can %shibernate (CanHibernate: %s)\n",
        LogindManager.service, Present(canSuspend) != 0 ? "" : "not ", canSuspend.c_str(),
        Present(canHibernate) != 0 ? "" : "not ", canHibernate.c_str());
    std::fflush(stderr);
}

std::int32_t CallNtPowerInformation(std::int32_t level, void*, std::uint32_t, void* output,
                                    std::uint32_t outputLength) {
    PowerCapabilities capabilities{};
    if (level != SystemPowerCapabilitiesLevel || output == nullptr ||
        outputLength < sizeof capabilities) {
        return StatusNotImplemented;
    }
    std::string canSuspend;
    std::string canHibernate;
    if (!AskSleepStates(canSuspend, canHibernate)) {
        return StatusNotImplemented;
    }
    capabilities.SystemS3 = Present(canSuspend);
    capabilities.SystemS4 = capabilities.HiberFilePresent = Present(canHibernate);
    capabilities.SystemS5 = 1;
    std::memcpy(output, &capabilities, sizeof capabilities);
    return 0;
}

}  // namespace RawLayer::Os::Linux
