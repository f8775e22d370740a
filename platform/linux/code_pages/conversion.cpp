// The code-page stand-ins: GetACP, and conversions that give the sizes and units that Wine's
// MultiByteToWideChar and WideCharToMultiByte give with flags 0, checked against a table of vectors
// recorded under Wine. Code pages: 0 (the ANSI code page, natively UTF-8), 932, 20932 (EUC-JP),
// 65000 and 65001. Like Wine 8, they refuse 51932 and every other code page. Any flag is refused:
// the library never passes one, and refusing keeps the stand-ins from half-imitating options they
// do not implement.

#include <cstddef>

#include "platform/linux/code_pages/code_page_conversions.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

std::uint32_t ResolveCodePage(std::uint32_t codePage) {
    return codePage == CpAcp ? NativeAnsiCodePage : codePage;
}

// The length of a zero-terminated text with its terminator, or 0 when that does not fit the
// signed 32-bit lengths of the interface.
template <typename Unit>
std::int32_t TerminatedLength(const Unit* text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length < INT32_MAX ? static_cast<std::int32_t>(length + 1) : 0;
}

// The checks both directions share; a negative source length means "up to and including the
// terminator".
template <typename SourceUnit, typename TargetUnit>
bool AcceptsArguments(std::uint32_t flags, const SourceUnit* source, std::int32_t sourceLength,
                      const TargetUnit* target, std::int32_t targetLength) {
    return flags == 0 && source != nullptr && sourceLength != 0 && targetLength >= 0 &&
           (target != nullptr || targetLength == 0);
}

}  // namespace

std::uint32_t GetACP() {
    return NativeAnsiCodePage;
}

std::int32_t MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* source,
                                 std::int32_t sourceLength, WideUnit* target,
                                 std::int32_t targetLength) {
    if (!AcceptsArguments(flags, source, sourceLength, target, targetLength)) {
        return 0;
    }
    if (sourceLength < 0) {
        sourceLength = TerminatedLength(source);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(source);
    WideOutput output(target, targetLength);
    switch (ResolveCodePage(codePage)) {
        case CpShiftJis:
            return DecodeShiftJis(bytes, sourceLength, output);
        case CpEucJp:
            return DecodeEucJp(bytes, sourceLength, output);
        case CpUtf7:
            return DecodeUtf7(bytes, sourceLength, output);
        case CpUtf8:
            return DecodeUtf8(bytes, sourceLength, output);
        default:
            return 0;
    }
}

std::int32_t WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                 const WideUnit* source, std::int32_t sourceLength, char* target,
                                 std::int32_t targetLength, const char* defaultChar,
                                 Bool* usedDefault) {
    if (!AcceptsArguments(flags, source, sourceLength, target, targetLength)) {
        return 0;
    }
    if (sourceLength < 0) {
        sourceLength = TerminatedLength(source);
    }
    NarrowOutput output(target, targetLength);
    switch (ResolveCodePage(codePage)) {
        case CpShiftJis:
            return EncodeShiftJis(source, sourceLength, output, defaultChar, usedDefault);
        case CpEucJp:
            return EncodeEucJp(source, sourceLength, output, defaultChar, usedDefault);
        case CpUtf7:
            // As on Windows, UTF-7 takes neither a default character nor its flag.
            if (defaultChar != nullptr || usedDefault != nullptr) {
                return 0;
            }
            return EncodeUtf7(source, sourceLength, output);
        case CpUtf8:
            // Wine ignores the default character here but reports through the flag whether a
            // lone surrogate was replaced.
            return EncodeUtf8(source, sourceLength, output, usedDefault);
        default:
            return 0;
    }
}

}  // namespace RawLayer::Os::Linux
