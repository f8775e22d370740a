#pragma once
// Scanning a raw command line: cutting off the program path, and reading one token, bare or
// quoted. There are no escape characters.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// What starts an option: the tag follows it.
inline constexpr std::uint16_t OptionMarker = '-';

struct RawToken {
    // The token without its quotes, in the source's encoding.
    RawString text;
    // Where the next token starts, behind the white space after this one; or the length.
    std::int32_t next;
};

// Everything after the program path and the blanks behind it, as a new text in the command
// line's encoding. Quotes anywhere in the path switch the quoted state; the path ends only
// at a blank outside quotes.
RawString SkipProgramPath(const RawString& commandLine);

// The token starting at pos. On an option marker it reads nothing: the token is empty and
// next is pos. A missing closing quote makes the token run to the end of the text.
RawToken ReadToken(const RawString& text, std::int32_t pos);

}  // namespace RawLayer
