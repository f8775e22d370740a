// Shift-JIS (code page 932) as Wine converts it. The double-byte table is the C library's
// CP932, which agrees with Wine for every lead and trail byte pair; the single bytes and the
// units that Wine maps on a best-fit basis are handled here, since the C library refuses them.

#include <algorithm>
#include <iterator>

#include "platform/linux/code_pages/double_byte_conversion.h"

namespace RawLayer::Os::Linux {
namespace {

// Wine's replacement for a lead byte without a valid trail byte (KATAKANA MIDDLE DOT).
constexpr WideUnit UnmappedPair = 0x30FB;

constexpr unsigned char FirstHalfWidthKatakana = 0xA1;
constexpr unsigned char LastHalfWidthKatakana = 0xDF;
constexpr WideUnit FirstHalfWidthKatakanaUnit = 0xFF61;

// Single bytes that Wine maps and the C library refuses.
struct ByteMapping {
    unsigned char byte;
    WideUnit unit;
};
const ByteMapping singleByteExtras[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3},
};

// Units that Wine writes on a best-fit basis and the C library refuses, found by converting
// every unit below U+10000 with both, sorted by unit. The second byte is 0 for single bytes.
struct BestFit {
    WideUnit unit;
    unsigned char lead;
    unsigned char trail;
};
const BestFit bestFits[] = {
    {0x0080, 0x80, 0},    {0x00A1, 0x21, 0},    {0x00A6, 0x7C, 0}, {0x00A9, 0x63, 0},
    {0x00AA, 0x61, 0},    {0x00AB, 0x81, 0xE1}, {0x00AD, 0x2D, 0}, {0x00AE, 0x52, 0},
    {0x00AF, 0x81, 0x50}, {0x00B2, 0x32, 0},    {0x00B3, 0x33, 0}, {0x00B5, 0x83, 0xCA},
    {0x00B7, 0x81, 0x45}, {0x00B8, 0x81, 0x43}, {0x00B9, 0x31, 0}, {0x00BA, 0x6F, 0},
    {0x00BB, 0x81, 0xE2}, {0x00C0, 0x41, 0},    {0x00C1, 0x41, 0}, {0x00C2, 0x41, 0},
    {0x00C3, 0x41, 0},    {0x00C4, 0x41, 0},    {0x00C5, 0x41, 0}, {0x00C6, 0x41, 0},
    {0x00C7, 0x43, 0},    {0x00C8, 0x45, 0},    {0x00C9, 0x45, 0}, {0x00CA, 0x45, 0},
    {0x00CB, 0x45, 0},    {0x00CC, 0x49, 0},    {0x00CD, 0x49, 0}, {0x00CE, 0x49, 0},
    {0x00CF, 0x49, 0},    {0x00D0, 0x44, 0},    {0x00D1, 0x4E, 0}, {0x00D2, 0x4F, 0},
    {0x00D3, 0x4F, 0},    {0x00D4, 0x4F, 0},    {0x00D5, 0x4F, 0}, {0x00D6, 0x4F, 0},
    {0x00D8, 0x4F, 0},    {0x00D9, 0x55, 0},    {0x00DA, 0x55, 0}, {0x00DB, 0x55, 0},
    {0x00DC, 0x55, 0},    {0x00DD, 0x59, 0},    {0x00DE, 0x54, 0}, {0x00DF, 0x73, 0},
    {0x00E0, 0x61, 0},    {0x00E1, 0x61, 0},    {0x00E2, 0x61, 0}, {0x00E3, 0x61, 0},
    {0x00E4, 0x61, 0},    {0x00E5, 0x61, 0},    {0x00E6, 0x61, 0}, {0x00E7, 0x63, 0},
    {0x00E8, 0x65, 0},    {0x00E9, 0x65, 0},    {0x00EA, 0x65, 0}, {0x00EB, 0x65, 0},
    {0x00EC, 0x69, 0},    {0x00ED, 0x69, 0},    {0x00EE, 0x69, 0}, {0x00EF, 0x69, 0},
    {0x00F0, 0x64, 0},    {0x00F1, 0x6E, 0},    {0x00F2, 0x6F, 0}, {0x00F3, 0x6F, 0},
    {0x00F4, 0x6F, 0},    {0x00F5, 0x6F, 0},    {0x00F6, 0x6F, 0}, {0x00F8, 0x6F, 0},
    {0x00F9, 0x75, 0},    {0x00FA, 0x75, 0},    {0x00FB, 0x75, 0}, {0x00FC, 0x75, 0},
    {0x00FD, 0x79, 0},    {0x00FE, 0x74, 0},    {0x00FF, 0x79, 0}, {0x3094, 0x83, 0x94},
    {0xF8F0, 0xA0, 0},    {0xF8F1, 0xFD, 0},    {0xF8F2, 0xFE, 0}, {0xF8F3, 0xFF, 0},
};

// Units the C library maps the JIS way (EM DASH, DOUBLE VERTICAL LINE, OVERLINE, MINUS SIGN,
// WAVE DASH) while Wine keeps those bytes for their Microsoft counterparts and writes '?'.
const WideUnit unmappedByWine[] = {0x2014, 0x2016, 0x203E, 0x2212, 0x301C};

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

WideUnit DecodeSingle(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= FirstHalfWidthKatakana && byte <= LastHalfWidthKatakana) {
        return static_cast<WideUnit>(FirstHalfWidthKatakanaUnit + (byte - FirstHalfWidthKatakana));
    }
    for (const ByteMapping& extra : singleByteExtras) {
        if (extra.byte == byte) {
            return extra.unit;
        }
    }
    return UnmappedPair;
}

WideUnit DecodePair(Iconv& toWide, unsigned char lead, unsigned char trail) {
    const unsigned char pair[] = {lead, trail};
    WideUnit unit = toWide.ToUnit(pair, sizeof pair);
    return unit != 0 ? unit : UnmappedPair;
}

// The bytes of one unit: 1 or 2, or 0 when the unit has no mapping.
int EncodeUnit(Iconv& toNarrow, WideUnit unit, unsigned char (&bytes)[2]) {
    if (unit < 0x80) {
        bytes[0] = static_cast<unsigned char>(unit);
        return 1;
    }
    if (unit >= FirstHalfWidthKatakanaUnit &&
        unit <= FirstHalfWidthKatakanaUnit + (LastHalfWidthKatakana - FirstHalfWidthKatakana)) {
        bytes[0] = static_cast<unsigned char>(FirstHalfWidthKatakana +
                                              (unit - FirstHalfWidthKatakanaUnit));
        return 1;
    }
    const BestFit* fit =
        std::lower_bound(std::begin(bestFits), std::end(bestFits), unit,
                         [](const BestFit& entry, WideUnit wanted) { return entry.unit < wanted; });
    if (fit != std::end(bestFits) && fit->unit == unit) {
        bytes[0] = fit->lead;
        bytes[1] = fit->trail;
        return fit->trail != 0 ? 2 : 1;
    }
    if (std::find(std::begin(unmappedByWine), std::end(unmappedByWine), unit) !=
        std::end(unmappedByWine)) {
        return 0;
    }
    unsigned char result[3];
    std::size_t written = toNarrow.FromUnit(unit, result);
    if (written == 0 || written > 2) {
        return 0;
    }
    bytes[0] = result[0];
    bytes[1] = result[1];
    return static_cast<int>(written);
}

// Built on first use, under the runtime's one-time initialisation.
const DoubleByteTable& Table() {
    static const DoubleByteTable table("CP932", IsLeadByte, DecodePair, EncodeUnit);
    return table;
}

}  // namespace

std::int32_t DecodeShiftJis(const unsigned char* source, std::int32_t length, WideOutput& output) {
    return DecodeDoubleByte(Table(), source, length, output, IsLeadByte, DecodeSingle);
}

std::int32_t EncodeShiftJis(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                            const char* defaultChar, Bool* usedDefault) {
    return EncodeDoubleByte(Table(), source, length, output, defaultChar, usedDefault);
}

}  // namespace RawLayer::Os::Linux
