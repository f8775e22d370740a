#pragma once
// Texts for the text tests: built in any encoding from bytes or wide units, and read back
// unit by unit.

#include <cstdint>
#include <string>
#include <string_view>

#include "library/text/raw_string.h"

namespace RawLayer::Testing {

// An Owned copy of the bytes, tagged with a narrow encoding.
inline RawString TextOf(std::string_view bytes, RawEncoding encoding = RawEncoding::ShiftJis) {
    RawString borrowed =
        RawString::Borrow(bytes.data(), static_cast<std::int32_t>(bytes.size()), encoding);
    return RawString(borrowed);
}

// An Owned Wide copy of the units.
inline RawString WideOf(std::u16string_view units) {
    RawString borrowed =
        RawString::Borrow(units.data(), static_cast<std::int32_t>(units.size()), RawEncoding::Wide);
    return RawString(borrowed);
}

// The units of a narrow text as bytes.
inline std::string BytesOf(const RawString& text) {
    std::string bytes;
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        bytes += static_cast<char>(text.UnitAt(i));
    }
    return bytes;
}

// The units of a text in either width, bytes zero-extended.
inline std::u16string UnitsOf(const RawString& text) {
    std::u16string units;
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        units += static_cast<char16_t>(text.UnitAt(i));
    }
    return units;
}

// The unit just behind the text, where Owned, Literal and empty texts keep their zero.
inline std::uint16_t UnitBehind(const RawString& text) {
    return text.UnitAt(text.Length());
}

inline std::int32_t Holders(const RawString& text) {
    return text.Body().extraHolders;
}

inline const char* EncodingName(RawEncoding encoding) {
    static const char* const names[RawEncodingCount] = {
        "AnsiCodePage",   "ShiftJis",          "Utf8", "Utf7", "EucJp",
        "Utf16BigEndian", "Utf16LittleEndian", "Wide"};
    return names[static_cast<int>(encoding)];
}

inline constexpr RawEncoding allEncodings[RawEncodingCount] = {RawEncoding::AnsiCodePage,
                                                               RawEncoding::ShiftJis,
                                                               RawEncoding::Utf8,
                                                               RawEncoding::Utf7,
                                                               RawEncoding::EucJp,
                                                               RawEncoding::Utf16BigEndian,
                                                               RawEncoding::Utf16LittleEndian,
                                                               RawEncoding::Wide};

}  // namespace RawLayer::Testing
