// Placeholder until the native converter lands: every conversion is refused.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

std::int32_t MultiByteToWideChar(std::uint32_t, std::uint32_t, const char*, std::int32_t, WideUnit*,
                                 std::int32_t) {
    return 0;
}

std::int32_t WideCharToMultiByte(std::uint32_t, std::uint32_t, const WideUnit*, std::int32_t, char*,
                                 std::int32_t, const char*, Bool*) {
    return 0;
}

}  // namespace RawLayer::Os::Linux
