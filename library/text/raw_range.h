#pragma once
// A stretch of a text: the index of its first unit and the index one past its last, counted
// in units of the text's own encoding. Each operation says how it clamps a range.

#include <cstdint>

namespace RawLayer {

struct RawRange {
    std::int32_t start;
    std::int32_t end;
};

}  // namespace RawLayer
