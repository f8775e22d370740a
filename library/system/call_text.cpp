#include "library/system/call_text.h"

#include "library/text/raw_encoding.h"

namespace RawLayer {
namespace {

const char emptyNarrow[1] = {0};
const Os::WideUnit emptyWide[1] = {0};

RawString HeldIn(RawEncoding encoding, const RawString& text) {
    return text.Length() == 0 ? RawString() : RawString(text, encoding);
}

}  // namespace

NarrowCallText::NarrowCallText(const RawString& text) : held(HeldIn(text.Encoding(), text)) {}

const char* NarrowCallText::Get() const {
    return held.Length() == 0 ? emptyNarrow : held.NarrowText();
}

WideCallText::WideCallText(const RawString& text) : held(HeldIn(RawEncoding::Wide, text)) {}

const Os::WideUnit* WideCallText::Get() const {
    return held.Length() == 0 ? emptyWide : held.WideText();
}

}  // namespace RawLayer
