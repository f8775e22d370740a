#include "library/text/literal_encoding.h"

#include "library/text/character_width.h"

namespace RawLayer {
namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

}  // namespace

RawEncoding DetectLiteralEncoding(const unsigned char* bytes, std::uint32_t length) {
    // Oddities: half-width katakana for Shift-JIS, five- and six-byte lead bytes for UTF-8.
    std::uint32_t shiftJisOddities = 0;
    std::uint32_t utf8Oddities = 0;
    bool expectTrail = false;
    int continuations = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        unsigned char b = bytes[i];

        if (!expectTrail) {
            if (IsShiftJisLead(b)) {
                expectTrail = true;
            } else if (InRange(b, 0xA1, 0xDF)) {
                ++shiftJisOddities;
            } else if (b > 0x7F) {
                return RawEncoding::Utf8;
            }
        } else if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFC)) {
            expectTrail = false;
        } else {
            return RawEncoding::Utf8;
        }

        if (continuations > 0) {
            if ((b & 0xC0) != 0x80) {
                return RawEncoding::ShiftJis;
            }
            --continuations;
        } else if (b < 0x80) {
        } else if ((b & 0xE0) == 0xC0) {
            if (b < 0xC2) {
                return RawEncoding::ShiftJis;
            }
            continuations = 1;
        } else if ((b & 0xF0) == 0xE0) {
            continuations = 2;
        } else if ((b & 0xF8) == 0xF0) {
            continuations = 3;
        } else {
            ++utf8Oddities;
            if ((b & 0xFC) == 0xF8) {
                continuations = 4;
            } else if ((b & 0xFE) == 0xFC) {
                continuations = 5;
            } else {
                return RawEncoding::ShiftJis;
            }
        }
    }
    return utf8Oddities < shiftJisOddities ? RawEncoding::Utf8 : RawEncoding::ShiftJis;
}

}  // namespace RawLayer
