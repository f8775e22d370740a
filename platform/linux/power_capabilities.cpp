// The capability record: natively the sleep states come from what the login manager can do.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

std::int32_t CallNtPowerInformation(std::int32_t, void*, std::uint32_t, void*, std::uint32_t) {
    return StatusNotImplemented;
}

}  // namespace RawLayer::Os::Linux
