#include "library/text/call_width.h"

#include <initializer_list>

namespace RawLayer {
namespace {

enum class TextClass { Narrow, Wide, Either, NeedsConversion };

// UTF-8 text up to this unit passes unconverted to a narrow call; 0x7F already counts as
// beyond it.
constexpr std::uint16_t LastPlainAsciiUnit = 0x7E;

bool IsPlainAscii(const RawString& text) {
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        if (text.UnitAt(i) > LastPlainAsciiUnit) {
            return false;
        }
    }
    return true;
}

TextClass Classify(const RawString& text) {
    if (text.Length() == 0) {
        return TextClass::Either;
    }
    switch (text.Encoding()) {
        case RawEncoding::Wide:
            return TextClass::Wide;
        case RawEncoding::AnsiCodePage:
        case RawEncoding::ShiftJis:
            return TextClass::Narrow;
        case RawEncoding::Utf8:
            return IsPlainAscii(text) ? TextClass::Narrow : TextClass::NeedsConversion;
        case RawEncoding::Utf7:
        case RawEncoding::EucJp:
        case RawEncoding::Utf16BigEndian:
        case RawEncoding::Utf16LittleEndian:
            break;
    }
    return TextClass::NeedsConversion;
}

RawCallWidth Choose(std::initializer_list<const RawString*> texts) {
    bool anyNarrow = false;
    bool anyWide = false;
    for (const RawString* text : texts) {
        switch (Classify(*text)) {
            case TextClass::NeedsConversion:
                return RawCallWidth::WideAfterConversion;
            case TextClass::Narrow:
                anyNarrow = true;
                break;
            case TextClass::Wide:
                anyWide = true;
                break;
            case TextClass::Either:
                break;
        }
    }
    if (!anyWide) {
        return RawCallWidth::NarrowCall;
    }
    return anyNarrow ? RawCallWidth::WideAfterConversion : RawCallWidth::WideCall;
}

}  // namespace

RawCallWidth ChooseCallWidth(const RawString& first, const RawString& second) {
    return Choose({&first, &second});
}

RawCallWidth ChooseCallWidth(const RawString& first, const RawString& second,
                             const RawString& third) {
    return Choose({&first, &second, &third});
}

}  // namespace RawLayer
