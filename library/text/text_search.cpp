#include "library/text/text_search.h"

#include "library/text/character_width.h"

namespace RawLayer {
namespace {

// Steps whole characters, so that the second byte of a double-byte character is never
// taken for a unit of its own.
template <typename Matches>
std::int32_t FindCharacter(const RawString& text, std::int32_t start, Matches matches) {
    std::int32_t i = start > 0 ? start : 0;
    while (i < text.Length()) {
        if (matches(i)) {
            return i;
        }
        i = i + 1 + TrailUnitCount(text, i);
    }
    return text.Length();
}

}  // namespace

bool IsCharOf(const RawString& text, std::int32_t index, const RawString& set) {
    if (index < 0 || index >= text.Length()) {
        return false;
    }
    std::uint16_t unit = text.UnitAt(index);
    for (std::int32_t k = 0; k < set.Length(); ++k) {
        if (set.UnitAt(k) == unit) {
            return true;
        }
    }
    return false;
}

std::int32_t FindNotOf(const RawString& text, std::int32_t start, const RawString& set) {
    std::int32_t i = start > 0 ? start : 0;
    while (i < text.Length() && IsCharOf(text, i, set)) {
        ++i;
    }
    return i < text.Length() ? i : text.Length();
}

std::int32_t FindOf(const RawString& text, std::int32_t start, const RawString& set) {
    return FindCharacter(text, start, [&](std::int32_t i) { return IsCharOf(text, i, set); });
}

std::int32_t FindQuote(const RawString& text, std::int32_t start) {
    return FindCharacter(text, start, [&](std::int32_t i) { return text.UnitAt(i) == QuoteUnit; });
}

}  // namespace RawLayer
