#include "library/text/text_compare.h"

#include <algorithm>

namespace RawLayer {
namespace {

// Only the ASCII letters fold: a to z onto A to Z, which lie this far below them.
constexpr std::uint16_t AsciiLowerFirst = 0x61;
constexpr std::uint16_t AsciiLowerLast = 0x7A;
constexpr std::uint16_t AsciiCaseDistance = 0x20;

std::uint16_t Exact(std::uint16_t unit) {
    return unit;
}

std::uint16_t FoldAsciiLower(std::uint16_t unit) {
    return unit >= AsciiLowerFirst && unit <= AsciiLowerLast
               ? static_cast<std::uint16_t>(unit - AsciiCaseDistance)
               : unit;
}

bool Compare(const RawString& text, RawRange range, const RawString& other, RawRange otherRange,
             std::uint16_t (*fold)(std::uint16_t)) {
    std::int32_t start = std::max(range.start, 0);
    std::int32_t otherStart = std::max(otherRange.start, 0);
    // Counted in 64 bits: an inverted range of extreme indices must not overflow.
    std::int64_t count = std::int64_t{std::min(text.Length(), range.end)} - start;
    std::int64_t otherCount = std::int64_t{std::min(other.Length(), otherRange.end)} - otherStart;
    if (count != otherCount) {
        return false;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        if (fold(text.UnitAt(start + k)) != fold(other.UnitAt(otherStart + k))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool RangeEquals(const RawString& text, RawRange range, const RawString& other,
                 RawRange otherRange) {
    return Compare(text, range, other, otherRange, Exact);
}

bool RangeEqualsNoCase(const RawString& text, RawRange range, const RawString& other,
                       RawRange otherRange) {
    return Compare(text, range, other, otherRange, FoldAsciiLower);
}

}  // namespace RawLayer
