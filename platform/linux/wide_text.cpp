#include "platform/linux/wide_text.h"

namespace RawLayer::Os::Linux {

std::string NarrowNative(const WideUnit* text) {
    std::int32_t bytes =
        WideCharToMultiByte(NativeAnsiCodePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(NativeAnsiCodePage, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(bytes - 1));
    return narrow;
}

}  // namespace RawLayer::Os::Linux
