#pragma once
// What the double-byte code pages (932 and 20932) share in Wine's converter: a lead byte takes
// the next byte with it unless the input ends or that byte is zero, the target is filled until
// it is full, a unit without a mapping becomes the default character, and a double-byte
// character is never split at the end of the target. The C library's iconv supplies the tables.

#include <iconv.h>

#include <cstddef>
#include <cstdint>

#include "platform/linux/code_page_conversions.h"

namespace RawLayer::Os::Linux {

// Wine's default byte for units that have no mapping in either code page.
inline constexpr char DoubleByteDefault = '?';

// One iconv conversion descriptor, open for the length of one call.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : descriptor(iconv_open(to, from)) {}
    ~Iconv() {
        if (IsOpen()) {
            iconv_close(descriptor);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool IsOpen() const { return descriptor != reinterpret_cast<iconv_t>(-1); }

    // Converts one whole character; returns the bytes written, or 0 when it has no mapping.
    std::size_t Convert(const unsigned char* input, std::size_t inputLength, unsigned char* result,
                        std::size_t resultCapacity) {
        char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(input));
        char* out = reinterpret_cast<char*>(result);
        std::size_t inLeft = inputLength;
        std::size_t outLeft = resultCapacity;
        std::size_t done = iconv(descriptor, &in, &inLeft, &out, &outLeft);
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        if (done == static_cast<std::size_t>(-1) || inLeft != 0) {
            return 0;
        }
        return resultCapacity - outLeft;
    }

    // One character of the C library's encoding as a UTF-16 unit, or 0 when it has none.
    WideUnit ToUnit(const unsigned char* input, std::size_t inputLength) {
        unsigned char unit[4];
        if (Convert(input, inputLength, unit, sizeof unit) != 2) {
            return 0;
        }
        return static_cast<WideUnit>(unit[0] | (unit[1] << 8));
    }

    // One UTF-16 unit in the C library's encoding; returns the bytes written (at most 3), or 0
    // when it has no mapping. Surrogates go one unit at a time and so never map, as in Wine.
    std::size_t FromUnit(WideUnit unit, unsigned char (&bytes)[3]) {
        const unsigned char input[] = {static_cast<unsigned char>(unit & 0xFF),
                                       static_cast<unsigned char>(unit >> 8)};
        unsigned char result[4];
        std::size_t written = Convert(input, sizeof input, result, sizeof result);
        if (written == 0 || written > sizeof bytes) {
            return 0;
        }
        for (std::size_t index = 0; index < written; ++index) {
            bytes[index] = result[index];
        }
        return written;
    }

  private:
    iconv_t descriptor;
};

// Decodes with the code page's lead bytes, its single bytes and its pairs.
template <typename IsLead, typename DecodeSingle, typename DecodePair>
std::int32_t DecodeDoubleByte(const unsigned char* source, std::int32_t length, WideOutput& output,
                              IsLead isLead, DecodeSingle decodeSingle, DecodePair decodePair) {
    std::int32_t position = 0;
    while (position < length && output.Fits(1)) {
        unsigned char byte = source[position++];
        // A lead byte at the end or before a zero byte stands alone.
        if (isLead(byte) && position < length && source[position] != 0) {
            output.Put(decodePair(byte, source[position++]));
        } else {
            output.Put(decodeSingle(byte));
        }
    }
    return position < length ? 0 : output.Result();
}

// Encodes with the code page's units, each giving 1 or 2 bytes, or 0 when it has no mapping.
// The default character is one byte, or two when its second byte is not 0.
template <typename EncodeUnit>
std::int32_t EncodeDoubleByte(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                              const char* defaultChar, Bool* usedDefault, EncodeUnit encodeUnit) {
    unsigned char fallback[2] = {static_cast<unsigned char>(DoubleByteDefault), 0};
    if (defaultChar != nullptr) {
        fallback[0] = static_cast<unsigned char>(defaultChar[0]);
        fallback[1] = fallback[0] != 0 ? static_cast<unsigned char>(defaultChar[1]) : 0;
    }
    bool defaultUsed = false;
    std::int32_t position = 0;
    for (; position < length; ++position) {
        unsigned char bytes[2] = {0, 0};
        int count = encodeUnit(source[position], bytes);
        if (count == 0) {
            defaultUsed = true;
            bytes[0] = fallback[0];
            bytes[1] = fallback[1];
            count = fallback[1] != 0 ? 2 : 1;
        }
        if (!output.Fits(count)) {
            break;
        }
        for (int index = 0; index < count; ++index) {
            output.Put(static_cast<char>(bytes[index]));
        }
    }
    if (usedDefault != nullptr) {
        *usedDefault = defaultUsed ? 1 : 0;
    }
    return position < length ? 0 : output.Result();
}

}  // namespace RawLayer::Os::Linux
