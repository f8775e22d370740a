// EUC-JP as Wine's code page 20932 converts it: a double-byte code page whose lead bytes are
// 0x8E and 0xA1 to 0xFE. JIS X 0208 and the half-width katakana after 0x8E are the C library's
// EUC-JP. 0x8F is no lead byte but a single byte of its own, so the three-byte JIS X 0212 form
// is not read; JIS X 0212 characters are written, and read, as two bytes instead: the first of
// the C library's two after 0x8F, then the second with its high bit cleared. The user-defined
// rows 0xF5 to 0xFE map to private use, with both forms of second byte. Found by converting
// every single byte, pair and unit below U+10000 with Wine and with the C library.

#include "platform/linux/code_pages/double_byte_conversion.h"

namespace RawLayer::Os::Linux {
namespace {

// Wine's replacement for a lead byte without a valid trail byte (KATAKANA MIDDLE DOT).
constexpr WideUnit UnmappedPair = 0x30FB;

constexpr unsigned char SingleShiftTwo = 0x8E;
constexpr unsigned char SingleShiftThree = 0x8F;
constexpr unsigned char FirstRow = 0xA1;
constexpr unsigned char LastRow = 0xFE;
constexpr unsigned char FirstUserRow = 0xF5;
constexpr unsigned char FirstSupplementaryCell = 0x21;
constexpr unsigned char LastSupplementaryCell = 0x7E;
constexpr int CellsPerRow = 94;
// Private use for the user-defined rows: cells 0xA1 to 0xFE first, then 0x21 to 0x7E.
constexpr WideUnit FirstUserUnit = 0xE000;
constexpr WideUnit FirstSupplementaryUserUnit = 0xE3AC;
constexpr WideUnit LastSupplementaryUserUnit = 0xE757;

// Single bytes that Wine maps and the C library refuses.
struct ByteMapping {
    unsigned char byte;
    WideUnit unit;
};
const ByteMapping singleByteExtras[] = {{0xA0, 0xF8F0}, {0xFF, 0xF8F3}};

// JIS X 0212 0x2237: TILDE in Wine, FULLWIDTH TILDE in the C library.
constexpr unsigned char TildeRow = 0xA2;
constexpr unsigned char TildeCell = 0x37;
constexpr WideUnit Tilde = 0x007E;

bool InRange(unsigned value, unsigned low, unsigned high) {
    return value >= low && value <= high;
}

bool IsLeadByte(unsigned char byte) {
    return byte == SingleShiftTwo || InRange(byte, FirstRow, LastRow);
}

// Units that the C library writes and Wine does not: C1 controls, YEN SIGN, OVERLINE and
// FULLWIDTH TILDE, whose bytes Wine keeps for other characters.
bool IsUnmappedByWine(WideUnit unit) {
    return InRange(unit, 0x80, 0x9F) || unit == 0x00A5 || unit == 0x203E || unit == 0xFF5E;
}

WideUnit DecodeSingle(unsigned char byte) {
    if (byte < 0x80 || (byte <= 0x9F && byte != SingleShiftTwo)) {
        return byte;
    }
    for (const ByteMapping& extra : singleByteExtras) {
        if (extra.byte == byte) {
            return extra.unit;
        }
    }
    return UnmappedPair;
}

WideUnit DecodeUserDefined(unsigned char lead, unsigned char trail) {
    int row = lead - FirstUserRow;
    if (InRange(trail, FirstRow, LastRow)) {
        return static_cast<WideUnit>(FirstUserUnit + row * CellsPerRow + (trail - FirstRow));
    }
    if (InRange(trail, FirstSupplementaryCell, LastSupplementaryCell)) {
        return static_cast<WideUnit>(FirstSupplementaryUserUnit + row * CellsPerRow +
                                     (trail - FirstSupplementaryCell));
    }
    return UnmappedPair;
}

WideUnit DecodePair(Iconv& toWide, unsigned char lead, unsigned char trail) {
    if (lead >= FirstUserRow) {
        return DecodeUserDefined(lead, trail);
    }
    WideUnit unit = 0;
    if (InRange(trail, FirstRow, LastRow)) {
        const unsigned char pair[] = {lead, trail};
        unit = toWide.ToUnit(pair, sizeof pair);
    } else if (lead != SingleShiftTwo &&
               InRange(trail, FirstSupplementaryCell, LastSupplementaryCell)) {
        if (lead == TildeRow && trail == TildeCell) {
            return Tilde;
        }
        const unsigned char triple[] = {SingleShiftThree, lead,
                                        static_cast<unsigned char>(trail | 0x80)};
        unit = toWide.ToUnit(triple, sizeof triple);
    }
    return unit != 0 ? unit : UnmappedPair;
}

// The bytes of one unit: 1 or 2, or 0 when the unit has no mapping.
int EncodeUnit(Iconv& toNarrow, WideUnit unit, unsigned char (&bytes)[2]) {
    if (unit < 0x80) {
        bytes[0] = static_cast<unsigned char>(unit);
        return 1;
    }
    if (InRange(unit, FirstUserUnit, LastSupplementaryUserUnit)) {
        bool supplementary = unit >= FirstSupplementaryUserUnit;
        int offset = unit - (supplementary ? FirstSupplementaryUserUnit : FirstUserUnit);
        bytes[0] = static_cast<unsigned char>(FirstUserRow + offset / CellsPerRow);
        bytes[1] = static_cast<unsigned char>((supplementary ? FirstSupplementaryCell : FirstRow) +
                                              offset % CellsPerRow);
        return 2;
    }
    if (IsUnmappedByWine(unit)) {
        return 0;
    }
    unsigned char result[3];
    std::size_t written = toNarrow.FromUnit(unit, result);
    if (written == 2) {
        bytes[0] = result[0];
        bytes[1] = result[1];
        return 2;
    }
    if (written == 3 && result[0] == SingleShiftThree) {
        bytes[0] = result[1];
        bytes[1] = static_cast<unsigned char>(result[2] & 0x7F);
        return 2;
    }
    return 0;
}

// Built on first use, under the runtime's one-time initialisation.
const DoubleByteTable& Table() {
    static const DoubleByteTable table("EUC-JP", IsLeadByte, DecodePair, EncodeUnit);
    return table;
}

}  // namespace

std::int32_t DecodeEucJp(const unsigned char* source, std::int32_t length, WideOutput& output) {
    return DecodeDoubleByte(Table(), source, length, output, IsLeadByte, DecodeSingle);
}

std::int32_t EncodeEucJp(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                         const char* defaultChar, Bool* usedDefault) {
    return EncodeDoubleByte(Table(), source, length, output, defaultChar, usedDefault);
}

}  // namespace RawLayer::Os::Linux
