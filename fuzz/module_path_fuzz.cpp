// libFuzzer target: the directory and base-name cuts over arbitrary module paths. The bytes,
// taken in pairs, are the wide path that this target's own boundary reports for the program
// file, as the system does: cut and terminated when it does not fit the buffer. The directory
// must be the path up to its last separator, and the base name the file name after it without
// its last extension, whether they come back in the ANSI code page or stay wide.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "library/text/module_path.h"
#include "library/text/raw_string.h"
#include "platform/boundary.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Os::Dword;
using RawLayer::Os::ModuleHandle;
using RawLayer::Os::WideUnit;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The path of the current input; the system's answer ends at its first zero unit.
std::u16string modulePath;

Dword RAWLAYER_SYSTEM_CALL ReportModulePath(ModuleHandle, WideUnit* buffer, Dword size) {
    if (size == 0) {
        return 0;
    }
    std::size_t length = modulePath.size();
    if (length < size) {
        std::memcpy(buffer, modulePath.data(), length * sizeof(WideUnit));
        buffer[length] = 0;
        return static_cast<Dword>(length);
    }
    std::memcpy(buffer, modulePath.data(), (size - 1) * sizeof(WideUnit));
    buffer[size - 1] = 0;
    return size;
}

const RawLayer::Os::Boundary& FuzzBoundary() {
    static const RawLayer::Os::Boundary boundary = [] {
        RawLayer::Os::Boundary table = RawLayer::Os::SystemBoundary();
        table.GetModuleFileNameW = ReportModulePath;
        return table;
    }();
    return boundary;
}

// A cut as wide units: the library gives it in the ANSI code page (tagged ShiftJis, as
// narrow system text is) when that spells it exactly, and wide otherwise.
std::u16string WideUnitsOf(const RawString& cut) {
    if (cut.Encoding() == RawEncoding::Wide) {
        return std::u16string(cut.WideText(), static_cast<std::size_t>(cut.Length()));
    }
    Require(cut.Encoding() == RawEncoding::ShiftJis);
    RawString wide(RawString::Borrow(cut.NarrowText(), cut.Length(), RawEncoding::AnsiCodePage),
                   RawEncoding::Wide);
    return std::u16string(wide.WideText(), static_cast<std::size_t>(wide.Length()));
}

}  // namespace

// The library reaches the system through this table alone.
const RawLayer::Os::Boundary& RawLayer::Os::Os() {
    return FuzzBoundary();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    modulePath.assign(size / 2, u'\0');
    std::memcpy(modulePath.data(), data, modulePath.size() * sizeof(WideUnit));
    modulePath.resize(std::char_traits<char16_t>::length(modulePath.c_str()));

    std::size_t separator = modulePath.find_last_of(u"\\/");
    std::size_t start = separator == std::u16string::npos ? 0 : separator + 1;
    std::u16string directory =
        separator == std::u16string::npos ? u"" : modulePath.substr(0, separator);
    Require(WideUnitsOf(RawLayer::ModuleDirectory()) == directory);

    std::size_t dot = modulePath.find_last_of(u'.');
    std::size_t end = dot != std::u16string::npos && dot >= start ? dot : modulePath.size();
    Require(WideUnitsOf(RawLayer::ModuleBaseName()) == modulePath.substr(start, end - start));
    return 0;
}
