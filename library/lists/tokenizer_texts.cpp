#include "library/lists/tokenizer_texts.h"

namespace RawLayer {

const RawString& PathBlankText() {
    static const RawString text = RawString::Constant(" \t");
    return text;
}

const RawString& WhiteSpaceText() {
    static const RawString text = RawString::Constant(" \t\r\n");
    return text;
}

const RawString& PositionalPrefixText() {
    static const RawString text = RawString::Constant("NoTag");
    return text;
}

}  // namespace RawLayer
