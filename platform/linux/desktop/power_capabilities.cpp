// The capability record, for its sleep states only: natively they are what the login manager
// says it can do. "yes" and "challenge" (allowed after a password) count as present; "no" and
// "na" (not on this machine, such as hibernation without swap) as absent. Without a login
// manager nothing is known, and the record is not readable.

#include <cstring>

#include "platform/linux/attempts.h"
#include "platform/linux/bus_services.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

std::uint8_t Present(const std::string& answer) {
    return answer == "yes" || answer == "challenge" ? 1 : 0;
}

}  // namespace

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
    NoteWithoutCall(std::string(LogindManager.service) + " can " +
                    (capabilities.SystemS3 != 0 ? "" : "not ") + "suspend (CanSuspend: " +
                    canSuspend + ") and can " + (capabilities.SystemS4 != 0 ? "" : "not ") +
                    "hibernate (CanHibernate: " + canHibernate + ")");
    std::memcpy(output, &capabilities, sizeof capabilities);
    return 0;
}

}  // namespace RawLayer::Os::Linux
