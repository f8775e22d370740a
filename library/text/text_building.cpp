#include "library/text/text_building.h"

#include <limits>
#include <new>

namespace RawLayer {
namespace {

// A minus sign and the digits of any 64-bit value fit many times over.
constexpr std::int32_t IntegerRoom = 67;
// The digits of the largest 64-bit magnitude.
constexpr std::int32_t LongestDecimal = 20;
constexpr char DigitTable[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Lengths that no text can reach are refused as an allocation failure.
std::int32_t CheckedLength(std::int64_t length) {
    if (length > std::numeric_limits<std::int32_t>::max() - 1) {
        throw std::bad_alloc();
    }
    return static_cast<std::int32_t>(length);
}

// Divides the value by ten and returns the remainder, sixteen bits at a time: a 32-bit
// program would otherwise carry the runtime's 64-bit division routines for this one loop.
std::uint32_t DivideByTen(std::uint64_t& value) {
    std::uint64_t quotient = 0;
    std::uint32_t remainder = 0;
    for (int shift = 48; shift >= 0; shift -= 16) {
        std::uint32_t part = remainder << 16 | static_cast<std::uint32_t>(value >> shift & 0xFFFF);
        quotient |= std::uint64_t{part / 10} << shift;
        remainder = part % 10;
    }
    value = quotient;
    return remainder;
}

// Copies the first count units of the piece; the count is taken before anything is appended,
// since the piece may be the receiver itself.
void CopyPiece(RawString& text, const RawString& piece, std::int32_t count) {
    std::int32_t start = text.Length();
    text.WritableBody(start + count).CopyUnits(start, piece.Body(), {0, count});
    text.SetLength(start + count);
}

}  // namespace

void AppendChar(RawString& text, std::uint16_t character) {
    std::int32_t needed = CheckedLength(std::int64_t{text.Length()} + 1);
    text.EnsureRoom(needed).StoreUnit(text.Length(), character);
    text.SetLength(needed);
}

void AppendRange(RawString& text, const RawString& source, RawRange range) {
    // Compared, not subtracted: an inverted range of extreme indices must not overflow.
    if (range.end <= range.start) {
        return;
    }
    std::int32_t needed =
        CheckedLength(std::int64_t{text.Length()} + range.end - std::int64_t{range.start});
    text.EnsureRoom(needed).CopyUnits(text.Length(), source.Body(), range);
    text.SetLength(needed);
}

void AppendStrings(RawString& text, const RawString& s1, const RawString& s2, const RawString& s3,
                   const RawString& s4, const RawString& s5) {
    const RawString* pieces[] = {&s1, &s2, &s3, &s4, &s5};
    std::int32_t counts[5];
    std::int64_t needed = text.Length();
    for (int k = 0; k < 5; ++k) {
        counts[k] = pieces[k]->Length();
        needed += counts[k];
    }
    text.EnsureRoom(CheckedLength(needed));
    CopyPiece(text, s1, counts[0]);
    for (int k = 1; k < 5; ++k) {
        if (counts[k] > 0) {
            CopyPiece(text, *pieces[k], counts[k]);
        }
    }
}

void AppendInteger(RawString& text, std::int64_t value) {
    std::int32_t needed = CheckedLength(std::int64_t{text.Length()} + IntegerRoom);
    RawStringBody& body = text.WritableBody(needed);
    std::int32_t i = text.Length();
    if (value < 0) {
        body.StoreUnit(i++, '-');
    }
    // Two's-complement negation, so that the most negative value gives 2^63.
    std::uint64_t magnitude =
        value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    text.SetLength(WriteDigits(text, i, magnitude));
}

std::int32_t WriteDigits(RawString& text, std::int32_t index, std::uint64_t value) {
    // The caller has reserved the room, so nothing is reserved here; the body is only made
    // sure to be this handle's own.
    RawStringBody& body = text.WritableBody(index + LongestDecimal);
    std::int32_t i = index;
    do {
        body.StoreUnit(i++, static_cast<unsigned char>(DigitTable[DivideByTen(value)]));
    } while (value != 0);
    for (std::int32_t left = index, right = i - 1; left < right; ++left, --right) {
        std::uint16_t unit = body.UnitAt(left);
        body.StoreUnit(left, body.UnitAt(right));
        body.StoreUnit(right, unit);
    }
    return i;
}

}  // namespace RawLayer
