#include "library/system/message_box.h"

#include "library/system/call_text.h"
#include "library/text/call_width.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

// MB_ICONINFORMATION with the default single OK button.
constexpr std::uint32_t InformationStyle = 0x40u;

}  // namespace

std::int32_t ShowInformation(const RawString& text, const RawString& caption) {
    if (ChooseCallWidth(text, caption) == RawCallWidth::NarrowCall) {
        // Passed as they are, not even brought to the system code page.
        NarrowCallText narrowText(text);
        NarrowCallText narrowCaption(caption);
        return Os::Os().MessageBoxA(nullptr, narrowText.Get(), narrowCaption.Get(),
                                    InformationStyle);
    }
    WideCallText wideCaption(caption);
    WideCallText wideText(text);
    return Os::Os().MessageBoxW(nullptr, wideText.Get(), wideCaption.Get(), InformationStyle);
}

}  // namespace RawLayer
