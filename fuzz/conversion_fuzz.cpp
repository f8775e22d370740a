// libFuzzer target: arbitrary bytes through the native code-page converters, read as narrow
// text of each code page and, taken in pairs, as wide text. The size query must answer what
// the conversion then writes, a smaller target must get no more than it holds, and the
// library's conversions of a text borrowed in the fuzzer's own buffer must never read past it.
// Valid Unicode text must come back unchanged from UTF-8 and UTF-7.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

#include "library/text/raw_string.h"
#include "platform/boundary.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Os::WideUnit;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const RawLayer::Os::Boundary& System() {
    return RawLayer::Os::SystemBoundary();
}

// The code pages the library converts through: the ANSI code page, Shift-JIS, EUC-JP under
// the system's own table, UTF-7 and UTF-8.
constexpr std::uint32_t codePages[] = {0, 932, 20932, 65000, 65001};

// Targets are allocated at their exact size, so that a write past them is caught.
template <typename Unit>
std::unique_ptr<Unit[]> Exact(std::int32_t count) {
    return std::unique_ptr<Unit[]>(new Unit[static_cast<std::size_t>(count)]);
}

constexpr std::uint32_t Utf7CodePage = 65000;

std::u16string ToWide(std::uint32_t codePage, const char* source, std::int32_t length) {
    std::int32_t size = System().MultiByteToWideChar(codePage, 0, source, length, nullptr, 0);
    // With flags 0 nothing is refused: invalid bytes become replacement characters. Only UTF-7
    // can give no unit for some bytes, a shift with too few bits for one.
    Require(length == 0 ? size == 0 : size > 0 || codePage == Utf7CodePage);
    if (size == 0) {
        return std::u16string();
    }
    auto exact = Exact<WideUnit>(size);
    Require(System().MultiByteToWideChar(codePage, 0, source, length, exact.get(), size) == size);
    std::u16string converted(exact.get(), static_cast<std::size_t>(size));
    // Targets too small: refused, or filled only partly with what the exact target got.
    for (std::int32_t capacity : {size - 1, size / 2}) {
        if (capacity <= 0) {
            continue;
        }
        auto target = Exact<WideUnit>(capacity);
        std::int32_t written =
            System().MultiByteToWideChar(codePage, 0, source, length, target.get(), capacity);
        Require(written >= 0 && written <= capacity);
        Require(converted.compare(0, static_cast<std::size_t>(written), target.get(),
                                  static_cast<std::size_t>(written)) == 0);
    }
    return converted;
}

std::string ToNarrow(std::uint32_t codePage, const WideUnit* source, std::int32_t length) {
    std::int32_t size =
        System().WideCharToMultiByte(codePage, 0, source, length, nullptr, 0, nullptr, nullptr);
    Require(length == 0 ? size == 0 : size > 0);
    if (size == 0) {
        return std::string();
    }
    auto exact = Exact<char>(size);
    Require(System().WideCharToMultiByte(codePage, 0, source, length, exact.get(), size, nullptr,
                                         nullptr) == size);
    std::string converted(exact.get(), static_cast<std::size_t>(size));
    for (std::int32_t capacity : {size - 1, size / 2}) {
        if (capacity <= 0) {
            continue;
        }
        auto target = Exact<char>(capacity);
        std::int32_t written = System().WideCharToMultiByte(
            codePage, 0, source, length, target.get(), capacity, nullptr, nullptr);
        Require(written >= 0 && written <= capacity);
        Require(converted.compare(0, static_cast<std::size_t>(written), target.get(),
                                  static_cast<std::size_t>(written)) == 0);
    }
    return converted;
}

std::u16string UnitsOf(const RawString& wide) {
    return std::u16string(wide.WideText(), static_cast<std::size_t>(wide.Length()));
}

// The code page the library's conversion of a narrow encoding ends up in on this system.
std::uint32_t CodePageIn(RawEncoding encoding) {
    return encoding == RawEncoding::EucJp ? 20932 : RawLayer::CodePageOf(encoding);
}

// What the system's converter writes into an exact target, without the smaller targets.
std::string ExactNarrow(std::uint32_t codePage, const RawString& wide) {
    std::int32_t size = System().WideCharToMultiByte(codePage, 0, wide.WideText(), wide.Length(),
                                                     nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    if (size > 0) {
        System().WideCharToMultiByte(codePage, 0, wide.WideText(), wide.Length(), narrow.data(),
                                     size, nullptr, nullptr);
    }
    return narrow;
}

// The library's conversions of a borrowed text give what the system's converter gives: the
// bytes' wide units, and for those units the converter's bytes.
void ConvertBorrowed(const char* bytes, std::int32_t length, RawEncoding encoding,
                     const std::u16string& systemWide) {
    RawString wide(RawString::Borrow(bytes, length, encoding), RawEncoding::Wide);
    RawString back(wide, encoding);
    if (encoding == RawEncoding::Utf16BigEndian || encoding == RawEncoding::Utf16LittleEndian) {
        Require(wide.Length() == length / 2 && back.Length() == 2 * wide.Length());
        Require(std::memcmp(back.NarrowText(), bytes, static_cast<std::size_t>(back.Length())) ==
                0);
        return;
    }
    Require(UnitsOf(wide) == systemWide);
    Require(std::string(back.NarrowText(), static_cast<std::size_t>(back.Length())) ==
            ExactNarrow(CodePageIn(encoding), wide));
}

// The units with every lone surrogate replaced: text that UTF-8 and UTF-7 can hold exactly.
std::u16string ValidUnicode(const WideUnit* units, std::int32_t length) {
    std::u16string valid(units, static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < valid.size(); ++i) {
        bool high = valid[i] >= 0xD800 && valid[i] <= 0xDBFF;
        bool low = valid[i] >= 0xDC00 && valid[i] <= 0xDFFF;
        if (high && i + 1 < valid.size() && valid[i + 1] >= 0xDC00 && valid[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            valid[i] = 0xFFFD;
        }
    }
    return valid;
}

void RoundTrip(const std::u16string& valid) {
    auto exact = Exact<WideUnit>(static_cast<std::int32_t>(valid.size()));
    std::memcpy(exact.get(), valid.data(), valid.size() * sizeof(WideUnit));
    RawString wide =
        RawString::Borrow(exact.get(), static_cast<std::int32_t>(valid.size()), RawEncoding::Wide);
    for (RawEncoding encoding : {RawEncoding::Utf8, RawEncoding::Utf7}) {
        RawString narrow(wide, encoding);
        Require(UnitsOf(RawString(narrow, RawEncoding::Wide)) == valid);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    auto length = static_cast<std::int32_t>(size);
    const char* bytes = reinterpret_cast<const char*>(data);
    // An exact-size copy of the bytes taken in pairs, so that reading one unit too far is
    // caught in the wide direction too.
    std::int32_t wideLength = length / 2;
    auto wide = Exact<WideUnit>(wideLength);
    std::memcpy(wide.get(), data, static_cast<std::size_t>(wideLength) * sizeof(WideUnit));

    std::u16string wideOf[std::size(codePages)];
    for (std::size_t index = 0; index < std::size(codePages); ++index) {
        wideOf[index] = ToWide(codePages[index], bytes, length);
        ToNarrow(codePages[index], wide.get(), wideLength);
    }
    for (auto encoding :
         {RawEncoding::AnsiCodePage, RawEncoding::ShiftJis, RawEncoding::Utf8, RawEncoding::Utf7,
          RawEncoding::EucJp, RawEncoding::Utf16BigEndian, RawEncoding::Utf16LittleEndian}) {
        // Every narrow encoding's code page is in the list; the UTF-16 encodings need none.
        auto page = std::find(std::begin(codePages), std::end(codePages), CodePageIn(encoding));
        ConvertBorrowed(bytes, length, encoding, wideOf[page - std::begin(codePages)]);
    }
    RoundTrip(ValidUnicode(wide.get(), wideLength));
    return 0;
}
