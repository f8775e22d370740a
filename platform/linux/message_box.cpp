// The message box natively: the caption and the text on standard error. Nobody can press a
// button there, so the box counts as acknowledged at once.

#include <cstdio>
#include <string>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

namespace RawLayer::Os::Linux {
namespace {

constexpr std::int32_t ButtonOk = 1;

// The caption Windows shows when none is given.
const char* const DefaultCaption = "Error";

std::int32_t Show(const std::string& text, const std::string& caption) {
    bool endsLine = !text.empty() && text.back() == '\n';
    std::fprintf(stderr, "%s\n%s%s", caption.c_str(), text.c_str(), endsLine ? "" : "\n");
    std::fflush(stderr);
    return ButtonOk;
}

}  // namespace

std::int32_t MessageBoxA(Handle, const char* text, const char* caption, std::uint32_t) {
    return Show(text != nullptr ? text : "", caption != nullptr ? caption : DefaultCaption);
}

std::int32_t MessageBoxW(Handle, const WideUnit* text, const WideUnit* caption, std::uint32_t) {
    return Show(text != nullptr ? NarrowNative(text) : "",
                caption != nullptr ? NarrowNative(caption) : DefaultCaption);
}

}  // namespace RawLayer::Os::Linux
