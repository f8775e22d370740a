#pragma once
// Appends to a text: a character, a range of another text, up to five texts at once, and a
// decimal integer. Units are copied in the receiver's width, never converted.

#include <cstdint>

#include "library/text/raw_range.h"
#include "library/text/raw_string.h"

namespace RawLayer {

void AppendChar(RawString& text, std::uint16_t character);
// The range is taken as given: 0 <= start <= end <= the source's length.
void AppendRange(RawString& text, const RawString& source, RawRange range);
// Reserves once for all five; pass EmptyText() for pieces not needed.
void AppendStrings(RawString& text, const RawString& s1, const RawString& s2, const RawString& s3,
                   const RawString& s4, const RawString& s5);
void AppendInteger(RawString& text, std::int64_t value);
// Writes the decimal digits of the value from the index on, beyond the stored length, into
// room the caller has reserved; returns the index behind the last digit.
std::int32_t WriteDigits(RawString& text, std::int32_t index, std::uint64_t value);

}  // namespace RawLayer
