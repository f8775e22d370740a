#pragma once
// What the double-byte code pages (932 and 20932) share in Wine's converter: a lead byte takes
// the next byte with it unless the input ends or that byte is zero, the target is filled until
// it is full, a unit without a mapping becomes the default character, and a double-byte
// character is never split at the end of the target. The C library's iconv supplies the tables.

#include <iconv.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/linux/code_pages/code_page_conversions.h"

namespace RawLayer::Os::Linux {

// Wine's default byte for units that have no mapping in either code page.
inline constexpr char DoubleByteDefault = '?';

// One iconv conversion descriptor, open while a code page's table is built.
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

// A double-byte code page's whole mapping, worked out once from its rules for one pair and one
// unit, so that converting a character is a look-up rather than a call into the C library. It
// lives in static storage: the conversions take nothing from the heap for it.
class DoubleByteTable {
  public:
    // Builds the table of the C library's encoding of that name. decodePair(toWide, lead,
    // trail) is asked for every lead byte and any trail byte, encodeUnit(toNarrow, unit, bytes)
    // for every unit, with iconv descriptors into and out of wide units. Without the C
    // library's encoding the table is not available.
    template <typename IsLead, typename DecodePair, typename EncodeUnit>
    DoubleByteTable(const char* name, IsLead isLead, DecodePair decodePair, EncodeUnit encodeUnit) {
        Iconv toWide("UTF-16LE", name);
        Iconv toNarrow(name, "UTF-16LE");
        available = toWide.IsOpen() && toNarrow.IsOpen();
        if (!available) {
            return;
        }
        for (unsigned lead = 0; lead <= 0xFF; ++lead) {
            if (!isLead(static_cast<unsigned char>(lead))) {
                continue;
            }
            for (unsigned trail = 0; trail <= 0xFF; ++trail) {
                pairs[lead << 8 | trail] = decodePair(toWide, static_cast<unsigned char>(lead),
                                                      static_cast<unsigned char>(trail));
            }
        }
        for (std::size_t unit = 0; unit < units.size(); ++unit) {
            Encoded& encoded = units[unit];
            encoded.count = static_cast<unsigned char>(
                encodeUnit(toNarrow, static_cast<WideUnit>(unit), encoded.bytes));
        }
    }
    DoubleByteTable(const DoubleByteTable&) = delete;
    DoubleByteTable& operator=(const DoubleByteTable&) = delete;

    bool Available() const { return available; }

    // The unit of a lead byte and the byte after it.
    WideUnit Pair(unsigned char lead, unsigned char trail) const {
        return pairs[static_cast<std::size_t>(lead) << 8 | trail];
    }

    // The bytes of one unit: 1 or 2, or 0 when the unit has no mapping.
    int Encode(WideUnit unit, unsigned char (&bytes)[2]) const {
        const Encoded& encoded = units[unit];
        bytes[0] = encoded.bytes[0];
        bytes[1] = encoded.bytes[1];
        return encoded.count;
    }

  private:
    struct Encoded {
        unsigned char bytes[2] = {0, 0};
        unsigned char count = 0;
    };

    bool available = false;
    std::array<WideUnit, 0x10000> pairs{};
    std::array<Encoded, 0x10000> units{};
};

// Decodes with the code page's lead bytes, its single bytes and its table's pairs; 0 when the
// table is not available.
template <typename IsLead, typename DecodeSingle>
std::int32_t DecodeDoubleByte(const DoubleByteTable& table, const unsigned char* source,
                              std::int32_t length, WideOutput& output, IsLead isLead,
                              DecodeSingle decodeSingle) {
    if (!table.Available()) {
        return 0;
    }
    std::int32_t position = 0;
    while (position < length && output.Fits(1)) {
        unsigned char byte = source[position++];
        // A lead byte at the end or before a zero byte stands alone.
        if (isLead(byte) && position < length && source[position] != 0) {
            output.Put(table.Pair(byte, source[position++]));
        } else {
            output.Put(decodeSingle(byte));
        }
    }
    return position < length ? 0 : output.Result();
}

// Encodes with the table's units; 0 when it is not available. The default character is one byte, or
// two when its second byte is not 0.
inline std::int32_t EncodeDoubleByte(const DoubleByteTable& table, const WideUnit* source,
                                     std::int32_t length, NarrowOutput& output,
                                     const char* defaultChar, Bool* usedDefault) {
    if (!table.Available()) {
        return 0;
    }
    unsigned char fallback[2] = {static_cast<unsigned char>(DoubleByteDefault), 0};
    if (defaultChar != nullptr) {
        fallback[0] = static_cast<unsigned char>(defaultChar[0]);
        fallback[1] = fallback[0] != 0 ? static_cast<unsigned char>(defaultChar[1]) : 0;
    }
    bool defaultUsed = false;
    std::int32_t position = 0;
    for (; position < length; ++position) {
        unsigned char bytes[2] = {0, 0};
        int count = table.Encode(source[position], bytes);
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
