#include "launcher/command_line_encoding.h"

#include "platform/boundary.h"

namespace Velmoran {
namespace {

constexpr std::uint32_t JapaneseCodePage = 932;

bool IsJapaneseSystem() {
    return RawLayer::Os::Os().GetACP() == JapaneseCodePage;
}

}  // namespace

RawLayer::RawEncoding CommandLineEncoding() {
    return IsJapaneseSystem() ? RawLayer::RawEncoding::ShiftJis
                              : RawLayer::RawEncoding::AnsiCodePage;
}

}  // namespace Velmoran
