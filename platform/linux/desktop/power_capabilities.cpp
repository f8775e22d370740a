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

// What the login manager answered when the launcher read the capabilities, kept by the stand-in
// that asked for the one line that explains a sleep word refused without any call. The program
// acts once, on one thread.
struct SleepAnswers {
    bool read = false;
    std::string canSuspend;
    std::string canHibernate;
};
SleepAnswers answers;

}  // namespace

void SayWhySleepWasRefused(bool hibernate) {
    if (!answers.read || Present(hibernate ? answers.canHibernate : answers.canSuspend) != 0) {
        return;
    }
    std::fprintf(stderr,
                 "velmoran: %s can %ssuspend (CanSuspend: %s) and can %shibernate (CanHibernate: "
                 "%s)\n",
                 LogindManager.service, Present(answers.canSuspend) != 0 ? "" : "not ",
                 answers.canSuspend.c_str(), Present(answers.canHibernate) != 0 ? "" : "not ",
                 answers.canHibernate.c_str());
    std::fflush(stderr);
}

std::int32_t CallNtPowerInformation(std::int32_t level, void*, std::uint32_t, void* output,
                                    std::uint32_t outputLength) {
    PowerCapabilities capabilities{};
    if (level != SystemPowerCapabilitiesLevel || output == nullptr ||
        outputLength < sizeof capabilities) {
        return StatusNotImplemented;
    }
    BusConnection system(BusKind::System);
    std::string canSuspend;
    std::string canHibernate;
    if (!AskText(system, LogindManager("CanSuspend"), canSuspend).done ||
        !AskText(system, LogindManager("CanHibernate"), canHibernate).done) {
        return StatusNotImplemented;
    }
    capabilities.SystemS3 = Present(canSuspend);
    capabilities.SystemS4 = capabilities.HiberFilePresent = Present(canHibernate);
    capabilities.SystemS5 = 1;
    answers = SleepAnswers{true, canSuspend, canHibernate};
    std::memcpy(output, &capabilities, sizeof capabilities);
    return 0;
}

}  // namespace RawLayer::Os::Linux
