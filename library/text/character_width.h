#pragma once
// How many units after a position belong to the character that starts there, so that
// searches step over whole characters.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// A byte that starts a double-byte Shift-JIS character and takes the next byte with it: the
// one class for stepping over characters, telling separators from second bytes, and telling a
// Shift-JIS literal from a UTF-8 one.
constexpr bool IsShiftJisLead(std::uint16_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}

// 0 to 5 further units; callers step with position + TrailUnitCount + 1.
std::int32_t TrailUnitCount(const RawString& text, std::int32_t position);

}  // namespace RawLayer
