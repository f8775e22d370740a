#pragma once
// Tells whether the bytes of a program literal are Shift-JIS or UTF-8.

#include <cstdint>

#include "library/text/raw_encoding.h"

namespace RawLayer {

// ShiftJis or Utf8, by which reading leaves fewer oddities; ties and empty text: ShiftJis.
RawEncoding DetectLiteralEncoding(const unsigned char* bytes, std::uint32_t length);

}  // namespace RawLayer
