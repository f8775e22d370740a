#pragma once
// Texts for the list tests: made from byte strings in any encoding, and read back as bytes.

#include <cstdint>
#include <string>

#include "library/text/raw_string.h"

namespace RawLayer::Testing {

// An Owned copy of the bytes in the encoding; for Wide, each byte becomes one 16-bit unit.
inline RawString SampleText(const std::string& units,
                            RawEncoding encoding = RawEncoding::ShiftJis) {
    auto length = static_cast<std::int32_t>(units.size());
    if (encoding != RawEncoding::Wide) {
        return RawString(encoding, RawString::Borrow(units.data(), length, encoding), {0, length});
    }
    std::u16string wide;
    for (char unit : units) {
        wide.push_back(static_cast<unsigned char>(unit));
    }
    return RawString(encoding, RawString::Borrow(wide.data(), length, encoding), {0, length});
}

// The units of a text, each taken as one byte; for texts whose units are all below 256.
inline std::string UnitsOf(const RawString& text) {
    std::string units;
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        units.push_back(static_cast<char>(text.UnitAt(i)));
    }
    return units;
}

}  // namespace RawLayer::Testing
