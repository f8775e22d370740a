#pragma once
// Forward searches over a text's units: membership in a set, the first unit in or not in a
// set, the first double quote. A search that finds nothing returns the text's length.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// The double quote that FindQuote looks for, and that quotes a token of a command line.
inline constexpr std::uint16_t QuoteUnit = 0x22;

// True when the unit at the index is one of the set's units; false outside the text.
bool IsCharOf(const RawString& text, std::int32_t index, const RawString& set);
// First index from start whose unit is not in the set, stepping one unit at a time.
std::int32_t FindNotOf(const RawString& text, std::int32_t start, const RawString& set);
// First index from start whose unit is in the set, stepping over whole characters.
std::int32_t FindOf(const RawString& text, std::int32_t start, const RawString& set);
// First double quote from start, stepping over whole characters.
std::int32_t FindQuote(const RawString& text, std::int32_t start);

}  // namespace RawLayer
