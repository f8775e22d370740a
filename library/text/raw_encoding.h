#pragma once
// How the units of a text are read: eight encodings and their code pages.

#include <cstdint>

namespace RawLayer {

enum class RawEncoding : std::uint8_t {
    AnsiCodePage = 0,
    ShiftJis = 1,
    Utf8 = 2,
    Utf7 = 3,
    EucJp = 4,
    Utf16BigEndian = 5,
    Utf16LittleEndian = 6,
    Wide = 7,
};

inline constexpr int RawEncodingCount = 8;

// Code pages by encoding id; only the first five are ever looked up.
inline constexpr std::uint32_t RawCodePages[RawEncodingCount] = {0,     932, 65001, 65000,
                                                                 51932, 0,   0,     0};

inline constexpr std::uint32_t CodePageOf(RawEncoding encoding) {
    return RawCodePages[static_cast<int>(encoding)];
}

}  // namespace RawLayer
