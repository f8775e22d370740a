#pragma once
// How many units after a position belong to the character that starts there, so that
// searches step over whole characters.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// 0 to 5 further units; callers step with position + TrailUnitCount + 1.
std::int32_t TrailUnitCount(const RawString& text, std::int32_t position);

}  // namespace RawLayer
