// The message box natively: the caption and the text on standard error. Nobody can press a
// button there, so the box counts as acknowledged at once.

#include <cstdio>
#include <string>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

namespace RawLayer::Os::Linux {
namespace {

constexpr std::int32_t ButtonOk = 1;

std::int32_t Show(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s\n%s", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return ButtonOk;
}

}  // namespace

std::int32_t MessageBoxA(Handle, const char* text, const char* caption, std::uint32_t) {
    return Show(text, caption);
}

std::int32_t MessageBoxW(Handle, const WideUnit* text, const WideUnit* caption, std::uint32_t) {
    return Show(NarrowNative(text), NarrowNative(caption));
}

}  // namespace RawLayer::Os::Linux
