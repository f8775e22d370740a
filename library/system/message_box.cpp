#include "library/system/message_box.h"

#include "library/system/call_text.h"
#include "library/text/call_width.h"
#include "platform/boundary.h"

namespace RawLayer {

// Both boxes show the information icon with the default single OK button.
std::int32_t ShowInformation(const RawString& text, const RawString& caption) {
    if (ChooseCallWidth(text, caption) == RawCallWidth::NarrowCall) {
        // Passed as they are, not even brought to the system code page.
        NarrowCallText narrowText(text);
        NarrowCallText narrowCaption(caption);
        return Os::Os().MessageBoxA(nullptr, narrowText.Get(), narrowCaption.Get(),
                                    Os::MbIconInformation);
    }
    WideCallText wideCaption(caption);
    WideCallText wideText(text);
    return Os::Os().MessageBoxW(nullptr, wideText.Get(), wideCaption.Get(), Os::MbIconInformation);
}

}  // namespace RawLayer
