#pragma once
// One recorded code-page conversion: its input and what the system's converter answered.
// conversion_vector_dump records a table of them under Wine; conversion_vectors_test holds
// both builds' converters to it.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace RawLayer::Testing {

enum class ConversionDirection { ToWide, ToNarrow };

struct ConversionVector {
    std::uint32_t codePage;
    ConversionDirection direction;
    const char* label;
    // Passed with length -1 and a terminator after the input; otherwise with the input's length.
    bool terminated;
    // Hexadecimal units separated by blanks: bytes going wide, 16-bit units going narrow.
    const char* input;
    // The answer of the size query.
    std::int32_t size;
    // The units written into a target of exactly that size.
    const char* output;
    // Only when size > 1: the answer for a target one unit smaller, and that target's units
    // afterwards, with Fill where nothing was written.
    std::int32_t shortResult;
    const char* shortOutput;
};

// What the targets hold before a conversion, so that untouched units show.
inline constexpr std::uint16_t WideFill = 0xCCCC;
inline constexpr std::uint8_t NarrowFill = 0xCC;

inline std::vector<std::uint16_t> UnitsFromHex(const std::string& hex) {
    std::vector<std::uint16_t> units;
    const char* next = hex.c_str();
    for (;;) {
        char* end = nullptr;
        unsigned long unit = std::strtoul(next, &end, 16);
        if (end == next) {
            return units;
        }
        units.push_back(static_cast<std::uint16_t>(unit));
        next = end;
    }
}

inline std::string HexFromUnits(const std::vector<std::uint16_t>& units, int digits) {
    static const char hexDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::uint16_t unit : units) {
        if (!hex.empty()) {
            hex += ' ';
        }
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
            hex += hexDigits[(unit >> shift) & 0xF];
        }
    }
    return hex;
}

}  // namespace RawLayer::Testing
