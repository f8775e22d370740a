#include "library/lists/command_line_token.h"

#include "library/lists/tokenizer_texts.h"
#include "library/text/text_search.h"

namespace RawLayer {
namespace {

bool IsAt(const RawString& text, std::int32_t index, std::uint16_t unit) {
    return index >= 0 && index < text.Length() && text.UnitAt(index) == unit;
}

// Moves one unit at a time: the program path is scanned without regard to characters.
std::int32_t SkipBlanks(const RawString& text, std::int32_t i) {
    while (IsCharOf(text, i, PathBlankText())) {
        ++i;
    }
    return i;
}

}  // namespace

RawString SkipProgramPath(const RawString& commandLine) {
    const RawString& blanks = PathBlankText();
    std::int32_t i = SkipBlanks(commandLine, 0);
    bool inQuote = false;
    for (; i < commandLine.Length(); ++i) {
        if (!inQuote && IsCharOf(commandLine, i, blanks)) {
            break;
        }
        if (commandLine.UnitAt(i) == QuoteUnit) {
            inQuote = !inQuote;
        }
    }
    i = SkipBlanks(commandLine, i);
    return RawString(commandLine.Encoding(), commandLine, {i, commandLine.Length()});
}

RawToken ReadToken(const RawString& text, std::int32_t pos) {
    const RawString& whiteSpace = WhiteSpaceText();
    if (IsAt(text, pos, OptionMarker)) {
        return {EmptyText(), pos};
    }
    std::int32_t start = pos;
    std::int32_t end = 0;
    std::int32_t after = 0;
    if (IsAt(text, pos, QuoteUnit)) {
        start = pos + 1;
        end = FindQuote(text, start);
        after = end < text.Length() ? end + 1 : end;
    } else {
        end = FindOf(text, pos, whiteSpace);
        after = end;
    }
    return {RawString(text.Encoding(), text, {start, end}), FindNotOf(text, after, whiteSpace)};
}

}  // namespace RawLayer
