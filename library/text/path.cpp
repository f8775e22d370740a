#include "library/text/path.h"

#include <algorithm>

#include "library/text/character_width.h"
#include "library/text/text_building.h"
#include "library/text/text_search.h"

namespace RawLayer {
namespace {

constexpr std::uint16_t Backslash = 0x5C;
constexpr std::uint16_t Slash = 0x2F;

bool IsSeparatorUnit(std::uint16_t unit) {
    return unit == Backslash || unit == Slash;
}

// Steps whole characters through the clamped range and keeps the last match. An end below 0
// counts as 0, so that what is returned is always an index within the text or its length.
template <typename Matches>
std::int32_t FindLast(const RawString& path, RawRange range, Matches matches) {
    std::int32_t end = std::clamp(range.end, 0, path.Length());
    std::int32_t result = end;
    for (std::int32_t i = std::max(range.start, 0); i < end; i = i + 1 + TrailUnitCount(path, i)) {
        if (matches(i)) {
            result = i;
        }
    }
    return result;
}

}  // namespace

const RawString& PathDelimiters() {
    static const RawString delimiters = RawString::Constant("\\/.");
    return delimiters;
}

bool IsPathSeparator(const RawString& path, std::int32_t index) {
    if (index < 0 || index >= path.Length() || !IsSeparatorUnit(path.UnitAt(index))) {
        return false;
    }
    if (path.Encoding() != RawEncoding::ShiftJis) {
        return true;
    }
    // Lead bytes pair up from the left: an odd run of them right before the unit makes it
    // the second byte of a double-byte character.
    std::int32_t leads = 0;
    for (std::int32_t i = index - 1; i >= 0 && IsShiftJisLead(path.UnitAt(i)); --i) {
        ++leads;
    }
    return leads % 2 == 0;
}

std::int32_t FindLastSeparator(const RawString& path, RawRange range) {
    return FindLast(path, range, [&](std::int32_t i) { return IsSeparatorUnit(path.UnitAt(i)); });
}

std::int32_t FindLastOf(const RawString& path, RawRange range, const RawString& set) {
    return FindLast(path, range, [&](std::int32_t i) { return IsCharOf(path, i, set); });
}

RawRange DirectoryRange(const RawString& path) {
    std::int32_t last = FindLastSeparator(path, {0, path.Length()});
    return {0, last < path.Length() ? last : 0};
}

RawString JoinPath(const RawString& directory, const RawString& name) {
    RawString joined(directory.Encoding(), directory.Length() + name.Length() + 1);
    if (directory.Length() > 0) {
        AppendStrings(joined, directory, EmptyText(), EmptyText(), EmptyText(), EmptyText());
        if (!IsPathSeparator(joined, joined.Length() - 1)) {
            AppendChar(joined, Backslash);
        }
    }
    AppendRange(joined, name, {0, name.Length()});
    return joined;
}

}  // namespace RawLayer
