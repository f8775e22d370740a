#pragma once
// Test texts: RawStrings made from bytes or 16-bit units, read back, and quoted as calls show them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/text/raw_encoding.h"
#include "library/text/raw_string.h"
#include "tests/support/recording_boundary.h"

namespace RawLayer::Testing {

// Two kinds of Owned copy: TextOf and WideOf go through the copy constructor, so their room
// follows the growth rule; ExactTextOf and ExactWideOf go through the range constructor, so
// their room is exactly their length (and an empty one is the shared empty text).

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

// An Owned Wide copy of the units, exactly as long as its room.
inline RawString ExactWideOf(std::u16string_view units) {
    RawString borrowed =
        RawString::Borrow(units.data(), static_cast<std::int32_t>(units.size()), RawEncoding::Wide);
    return RawString(RawEncoding::Wide, borrowed, {0, borrowed.Length()});
}

// An Owned copy of the bytes in the encoding, exactly as long as its room; for Wide, each
// byte becomes one 16-bit unit.
inline RawString ExactTextOf(std::string_view bytes, RawEncoding encoding = RawEncoding::ShiftJis) {
    if (encoding == RawEncoding::Wide) {
        std::u16string units;
        for (char byte : bytes) {
            units.push_back(static_cast<unsigned char>(byte));
        }
        return ExactWideOf(units);
    }
    RawString borrowed =
        RawString::Borrow(bytes.data(), static_cast<std::int32_t>(bytes.size()), encoding);
    return RawString(encoding, borrowed, {0, borrowed.Length()});
}

// A text in any encoding from its bytes, a Wide one from its UTF-16LE bytes; room by the
// growth rule.
inline RawString TextIn(RawEncoding encoding, std::string_view bytes) {
    if (encoding != RawEncoding::Wide) {
        return TextOf(bytes, encoding);
    }
    RawString littleEndian = TextOf(bytes, RawEncoding::Utf16LittleEndian);
    return RawString(littleEndian, RawEncoding::Wide);
}

// An empty text that once held units: its buffer still holds them behind the terminator,
// so only its length says that it is empty.
inline RawString Emptied(RawString text) {
    text.SetLength(0);
    return text;
}

inline RawString EmptyIn(RawEncoding encoding) {
    return RawString(encoding, 0);
}

// The units of a text, each taken as one byte: the bytes of a narrow text.
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

// The buffer as a narrow or a wide call reads it, whatever the text's encoding: a text of
// the other width reads back as something else instead of being brought to this one.
inline std::string RawBytesOf(const RawString& text) {
    return std::string(text.NarrowText(), static_cast<std::size_t>(text.Length()));
}

inline std::u16string RawUnitsOf(const RawString& text) {
    return std::u16string(text.WideText(), static_cast<std::size_t>(text.Length()));
}

// The unit just behind the text, where Owned, Literal and empty texts keep their zero.
inline std::uint16_t UnitBehind(const RawString& text) {
    return text.UnitAt(text.Length());
}

inline std::int32_t Holders(const RawString& text) {
    return text.Body().extraHolders;
}

// The body behind a handle, for the tests of the body's own operations (Reserve, Acquire, the
// conversions, CopyUnits), which the string's operations otherwise keep to themselves.
inline RawLayer::RawStringBody& BodyOf(RawString& text) {
    return const_cast<RawLayer::RawStringBody&>(text.Body());
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

// Japanese samples in wide units and in Shift-JIS bytes.
inline const std::u16string hiraganaA = u"\u3042";  // あ
inline const std::string hiraganaAShiftJis = "\x82\xA0";
inline const std::u16string nihon = u"\u65E5\u672C";  // 日本
inline const std::string nihonShiftJis = "\x93\xFA\x96\x7B";
// The EUC-JP bytes A4 A2 after their conversion.
inline const std::u16string eucJpConverted = hiraganaA;

// Narrow and wide text as recorded calls show it.
inline std::string A(const std::string& bytes) {
    return Quoted(bytes.c_str(), bytes.size());
}

inline std::string W(const std::u16string& units) {
    return QuotedWide(units.c_str());
}

// The calls that bring text through a code page; none of them shows that nothing was
// converted.
inline const std::vector<std::string> conversionCalls = {"MultiByteToWideChar",
                                                         "WideCharToMultiByte"};

}  // namespace RawLayer::Testing
