#include "library/lists/raw_numbered_tag.h"

#include "library/lists/tokenizer_texts.h"
#include "library/text/text_building.h"

namespace RawLayer {

RawNumberedTag::RawNumberedTag() : prefix(PositionalPrefixText()) {
    AppendChar(separator, '_');
}

const RawString& RawNumberedTag::Make(std::int32_t n) {
    std::int32_t prefixLength = prefix.Length();
    tag.EnsureRoom(prefixLength).CopyUnits(0, prefix.Body(), {0, prefixLength});
    tag.SetLength(prefixLength);
    const RawString& none = EmptyText();
    AppendStrings(tag, separator, none, none, none, none);
    RawString digits;
    AppendInteger(digits, n);
    AppendStrings(tag, digits, none, none, none, none);
    return tag;
}

}  // namespace RawLayer
