#include "launcher/command_line_encoding.h"

#include "platform/boundary.h"

namespace Velmoran {
namespace {

bool IsJapaneseSystem() {
    return RawLayer::Os::Os().GetACP() == RawLayer::Os::CpShiftJis;
}

}  // namespace

RawLayer::RawEncoding CommandLineEncoding() {
    return IsJapaneseSystem() ? RawLayer::RawEncoding::ShiftJis
                              : RawLayer::RawEncoding::AnsiCodePage;
}

}  // namespace Velmoran
