#include "library/text/character_width.h"

namespace RawLayer {
namespace {

// The halves of a UTF-16 surrogate pair: a high unit, then a low one.
constexpr std::uint16_t HighSurrogateFirst = 0xD800;
constexpr std::uint16_t HighSurrogateLast = 0xDBFF;
constexpr std::uint16_t LowSurrogateFirst = 0xDC00;
constexpr std::uint16_t LowSurrogateLast = 0xDFFF;

bool InRange(std::uint16_t unit, std::uint16_t low, std::uint16_t high) {
    return unit >= low && unit <= high;
}

std::int32_t Utf8Trail(std::uint16_t byte) {
    if (InRange(byte, 0xC2, 0xDF))
        return 1;
    if (InRange(byte, 0xE0, 0xEF))
        return 2;
    if (InRange(byte, 0xF0, 0xF7))
        return 3;
    if (InRange(byte, 0xF8, 0xFB))
        return 4;
    if (InRange(byte, 0xFC, 0xFD))
        return 5;
    return 0;
}

bool IsHighSurrogate(std::uint16_t unit) {
    return InRange(unit, HighSurrogateFirst, HighSurrogateLast);
}

bool IsLowSurrogate(std::uint16_t unit) {
    return InRange(unit, LowSurrogateFirst, LowSurrogateLast);
}

// A high surrogate takes the next unit with it only when that is the low half of its pair. A
// lone one is a character of its own: counting the unit after it in would make scans step over
// a separator or quote there, and Windows file names may hold lone surrogates.
std::int32_t WideTrail(const RawString& text, std::int32_t position) {
    return IsHighSurrogate(text.UnitAt(position)) && position + 1 < text.Length() &&
                   IsLowSurrogate(text.UnitAt(position + 1))
               ? 1
               : 0;
}

// The 16-bit unit whose first byte is at the position; a missing second byte reads as 0.
std::uint16_t Utf16BytesUnit(const RawString& text, std::int32_t position, bool bigEndian) {
    std::uint16_t first = text.UnitAt(position);
    std::uint16_t second = position + 1 < text.Length() ? text.UnitAt(position + 1) : 0;
    return bigEndian ? static_cast<std::uint16_t>(first << 8 | second)
                     : static_cast<std::uint16_t>(second << 8 | first);
}

// A two-byte unit counts 1 further byte, a surrogate pair 3.
std::int32_t Utf16BytesTrail(const RawString& text, std::int32_t position, bool bigEndian) {
    if (position % 2 != 0) {
        return 0;
    }
    // The last byte of an odd-length text has no partner; it is not read beyond the text.
    bool pair = IsHighSurrogate(Utf16BytesUnit(text, position, bigEndian)) &&
                position + 3 < text.Length() &&
                IsLowSurrogate(Utf16BytesUnit(text, position + 2, bigEndian));
    return pair ? 3 : 1;
}

}  // namespace

std::int32_t TrailUnitCount(const RawString& text, std::int32_t position) {
    std::uint16_t unit = text.UnitAt(position);
    switch (text.Encoding()) {
        case RawEncoding::Wide:
            return WideTrail(text, position);
        case RawEncoding::ShiftJis:
            return IsShiftJisLead(unit) ? 1 : 0;
        case RawEncoding::Utf8:
            return Utf8Trail(unit);
        case RawEncoding::Utf16LittleEndian:
            return Utf16BytesTrail(text, position, false);
        case RawEncoding::Utf16BigEndian:
            return Utf16BytesTrail(text, position, true);
        case RawEncoding::AnsiCodePage:
        case RawEncoding::Utf7:
        case RawEncoding::EucJp:
            break;
    }
    return 0;
}

}  // namespace RawLayer
