// UTF-8 as Wine converts it. Wine's decoder differs from the usual "maximal subpart" rule in
// two ways that decide the count of U+FFFD: a sequence whose expected length runs past the end
// of the input swallows the rest of the input into one U+FFFD, and the byte that shows a
// three-byte sequence to be overlong or a surrogate is swallowed with its lead byte.

#include "platform/linux/code_pages/code_page_conversions.h"

namespace RawLayer::Os::Linux {
namespace {

constexpr WideUnit Replacement = 0xFFFD;
constexpr std::uint32_t Invalid = 0xFFFFFFFFu;

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

int FollowingBytes(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 3;
    }
    return 0;
}

// Reads the sequence whose lead byte sits just before position; moves position past the
// bytes that belong to it and returns its code point, or Invalid.
std::uint32_t DecodeSequence(unsigned char lead, const unsigned char* source, std::int32_t length,
                             std::int32_t& position) {
    static const unsigned char leadMasks[] = {0x7F, 0x1F, 0x0F, 0x07};
    int following = FollowingBytes(lead);
    if (following == 0) {
        return Invalid;
    }
    if (following > length - position) {
        position = length;
        return Invalid;
    }
    std::uint32_t codePoint = lead & leadMasks[following];
    for (int index = 0; index < following; ++index) {
        unsigned int bits = source[position] ^ 0x80u;
        if (bits >= 0x40) {
            return Invalid;
        }
        codePoint = (codePoint << 6) | bits;
        ++position;
        int left = following - index - 1;
        // After the first continuation byte the value already tells an overlong form, a
        // surrogate or a code point above U+10FFFF.
        if (left == 2 && (codePoint < 0x10 || codePoint >= 0x110)) {
            return Invalid;
        }
        if (left == 1 && following == 2 &&
            (codePoint < 0x20 || (codePoint >= 0x360 && codePoint < 0x380))) {
            return Invalid;
        }
    }
    return codePoint;
}

}  // namespace

std::int32_t DecodeUtf8(const unsigned char* source, std::int32_t length, WideOutput& output) {
    std::int32_t position = 0;
    while (position < length && output.Fits(1)) {
        unsigned char lead = source[position++];
        if (lead < 0x80) {
            output.Put(lead);
            continue;
        }
        std::uint32_t codePoint = DecodeSequence(lead, source, length, position);
        if (codePoint == Invalid) {
            output.Put(Replacement);
        } else if (codePoint <= 0xFFFF) {
            output.Put(static_cast<WideUnit>(codePoint));
        } else {
            codePoint -= 0x10000;
            output.Put(static_cast<WideUnit>(0xD800 | (codePoint >> 10)));
            // Wine leaves a pair cut in half when the target ends between its units, and
            // counts that as success when no input is left.
            if (!output.Fits(1)) {
                break;
            }
            output.Put(static_cast<WideUnit>(0xDC00 | (codePoint & 0x3FF)));
        }
    }
    return position < length ? 0 : output.Result();
}

std::int32_t EncodeUtf8(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                        Bool* usedDefault) {
    bool replaced = false;
    std::int32_t position = 0;
    while (position < length) {
        std::uint32_t codePoint = source[position];
        std::int32_t consumed = 1;
        if (IsHighSurrogate(codePoint) && position + 1 < length &&
            IsLowSurrogate(source[position + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (source[position + 1] - 0xDC00);
            consumed = 2;
        } else if (IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) {
            codePoint = Replacement;
            replaced = true;
        }
        int bytes = codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
        if (!output.Fits(bytes)) {
            replaced = false;
            break;
        }
        if (bytes == 1) {
            output.Put(static_cast<char>(codePoint));
        } else {
            static const unsigned char leadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
            int shift = 6 * (bytes - 1);
            output.Put(static_cast<char>(leadMarks[bytes] | (codePoint >> shift)));
            while (shift > 0) {
                shift -= 6;
                output.Put(static_cast<char>(0x80 | ((codePoint >> shift) & 0x3F)));
            }
        }
        position += consumed;
    }
    if (usedDefault != nullptr) {
        *usedDefault = replaced ? 1 : 0;
    }
    return position < length ? 0 : output.Result();
}

}  // namespace RawLayer::Os::Linux
