// libFuzzer target: the scans that step through text by characters. Arbitrary bytes are
// classified as a literal, and read in each encoding (in pairs as Wide text) for the trail
// counts, the last separator, the last delimiter and the directory part, over a range that
// the first eight bytes give. Results must stay within the text, and a scan started on a
// character boundary must only ever land on one. Texts stay borrowed in exact-size buffers,
// so any read beyond them is caught.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include "library/text/character_width.h"
#include "library/text/literal_encoding.h"
#include "library/text/path.h"
#include "library/text/raw_string.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawString;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsSeparator(std::uint16_t unit) {
    return unit == 0x5C || unit == 0x2F;
}

bool IsDelimiter(std::uint16_t unit) {
    return IsSeparator(unit) || unit == 0x2E;
}

// The most further units a character can have in the encoding.
std::int32_t LongestTrail(RawEncoding encoding) {
    switch (encoding) {
        case RawEncoding::Wide:
        case RawEncoding::ShiftJis:
            return 1;
        case RawEncoding::Utf8:
            return 5;
        case RawEncoding::Utf16BigEndian:
        case RawEncoding::Utf16LittleEndian:
            return 3;
        case RawEncoding::AnsiCodePage:
        case RawEncoding::Utf7:
        case RawEncoding::EucJp:
            break;
    }
    return 0;
}

void CheckTrailCounts(const RawString& text) {
    bool utf16Bytes = text.Encoding() == RawEncoding::Utf16BigEndian ||
                      text.Encoding() == RawEncoding::Utf16LittleEndian;
    for (std::int32_t position = 0; position < text.Length(); ++position) {
        std::int32_t trail = RawLayer::TrailUnitCount(text, position);
        Require(trail >= 0 && trail <= LongestTrail(text.Encoding()));
        // A UTF-16 byte text has its characters at even positions only: a unit or a pair.
        if (utf16Bytes) {
            Require(position % 2 == 0 ? trail == 1 || trail == 3 : trail == 0);
        }
    }
}

// The character boundaries a scan from start steps on before the end.
std::vector<std::int32_t> Boundaries(const RawString& text, std::int32_t start, std::int32_t end) {
    std::vector<std::int32_t> boundaries;
    for (std::int32_t i = std::max(start, 0); i < end; i += 1 + RawLayer::TrailUnitCount(text, i)) {
        boundaries.push_back(i);
    }
    return boundaries;
}

// A last-match scan over the range: within the text, on a boundary holding a match with no
// match on a later boundary, or the clamped end when no boundary holds one.
template <typename Matches>
void CheckLastMatch(const RawString& text, RawRange range, std::int32_t found, Matches matches) {
    std::int32_t end = std::clamp(range.end, 0, text.Length());
    Require(found >= 0 && found <= text.Length());
    std::vector<std::int32_t> boundaries = Boundaries(text, range.start, end);
    auto last = std::find_if(boundaries.rbegin(), boundaries.rend(),
                             [&](std::int32_t i) { return matches(text.UnitAt(i)); });
    Require(found == (last == boundaries.rend() ? end : *last));
}

void CheckScans(const RawString& text, RawRange range) {
    CheckTrailCounts(text);
    CheckLastMatch(text, range, RawLayer::FindLastSeparator(text, range), IsSeparator);
    CheckLastMatch(text, range, RawLayer::FindLastOf(text, range, RawLayer::PathDelimiters()),
                   IsDelimiter);
    CheckLastMatch(text, range, RawLayer::FindLastOf(text, range, RawLayer::EmptyText()),
                   [](std::uint16_t) { return false; });

    RawRange directory = RawLayer::DirectoryRange(text);
    Require(directory.start == 0 && directory.end >= 0 && directory.end < text.Length() + 1);
    std::int32_t last = RawLayer::FindLastSeparator(text, {0, text.Length()});
    Require(directory.end == (last < text.Length() ? last : 0));
}

RawRange RangeFrom(const std::uint8_t* data) {
    std::int32_t bounds[2];
    std::memcpy(bounds, data, sizeof bounds);
    return {bounds[0], bounds[1]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    auto length = static_cast<std::int32_t>(size);
    RawEncoding literal = RawLayer::DetectLiteralEncoding(data, static_cast<std::uint32_t>(size));
    Require(literal == RawEncoding::ShiftJis || literal == RawEncoding::Utf8);

    // The first eight bytes, when there are more, are the range; the rest is the text.
    RawRange range{0, length};
    const std::uint8_t* text = data;
    if (size > 8) {
        range = RangeFrom(data);
        text += 8;
        length -= 8;
    }
    for (auto encoding :
         {RawEncoding::AnsiCodePage, RawEncoding::ShiftJis, RawEncoding::Utf8, RawEncoding::Utf7,
          RawEncoding::EucJp, RawEncoding::Utf16BigEndian, RawEncoding::Utf16LittleEndian}) {
        CheckScans(RawString::Borrow(text, length, encoding), range);
    }
    std::int32_t wideLength = length / 2;
    std::unique_ptr<char16_t[]> wide(new char16_t[static_cast<std::size_t>(wideLength)]);
    std::memcpy(wide.get(), text, static_cast<std::size_t>(wideLength) * 2);
    CheckScans(RawString::Borrow(wide.get(), wideLength, RawEncoding::Wide), range);
    return 0;
}
