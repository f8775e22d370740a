#pragma once
// Equality of two ranges of texts, exactly or with the ASCII letters a to z folded. Unit
// values are compared, never encodings.

#include "library/text/raw_range.h"
#include "library/text/raw_string.h"

namespace RawLayer {

bool RangeEquals(const RawString& text, RawRange range, const RawString& other,
                 RawRange otherRange);
bool RangeEqualsNoCase(const RawString& text, RawRange range, const RawString& other,
                       RawRange otherRange);

}  // namespace RawLayer
