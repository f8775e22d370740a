#pragma once
// Texts for the system-service tests: built in any encoding, and written as the recording
// boundary writes them.

#include <cstdint>
#include <string>
#include <string_view>

#include "library/text/raw_encoding.h"
#include "library/text/raw_string.h"
#include "tests/support/recording_boundary.h"

namespace RawLayer::Testing {

// An Owned copy of the bytes in a narrow encoding.
inline RawString Bytes(RawEncoding encoding, std::string_view bytes) {
    RawString borrowed =
        RawString::Borrow(bytes.data(), static_cast<std::int32_t>(bytes.size()), encoding);
    return RawString(borrowed);
}

inline RawString ShiftJis(std::string_view bytes) {
    return Bytes(RawEncoding::ShiftJis, bytes);
}

// An Owned Wide copy of the units.
inline RawString Wide(std::u16string_view units) {
    RawString borrowed =
        RawString::Borrow(units.data(), static_cast<std::int32_t>(units.size()), RawEncoding::Wide);
    return RawString(borrowed);
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

// Narrow and wide text as recorded calls show it.
inline std::string A(const std::string& bytes) {
    return Quoted(bytes.c_str(), bytes.size());
}

inline std::string W(const std::u16string& units) {
    return QuotedWide(units.c_str());
}

inline const char* EncodingName(RawEncoding encoding) {
    static const char* const names[RawEncodingCount] = {
        "AnsiCodePage",   "ShiftJis",          "Utf8", "Utf7", "EucJp",
        "Utf16BigEndian", "Utf16LittleEndian", "Wide"};
    return names[static_cast<int>(encoding)];
}

}  // namespace RawLayer::Testing
