#include "library/text/module_path.h"

#include "library/text/path.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

constexpr std::int32_t ClassicPathCapacity = 260;
// Windows paths end at 32,767 characters; a buffer this large holds any of them.
constexpr std::int32_t LargestPathCapacity = 65536;
constexpr std::uint16_t Dot = 0x2E;

std::uint32_t AskSystem(RawString& path, std::uint32_t size) {
    if (path.Encoding() == RawEncoding::Wide) {
        auto* units = const_cast<Os::WideUnit*>(path.WideText());
        return Os::Os().GetModuleFileNameW(nullptr, units, size);
    }
    return Os::Os().GetModuleFileNameA(nullptr, const_cast<char*>(path.NarrowText()), size);
}

// The system cuts a path that does not fit and then reports the whole buffer as used: ask
// again with a larger buffer until the path fits.
RawString AskForPath(RawEncoding encoding) {
    RawString path(encoding, ClassicPathCapacity);
    for (;;) {
        std::uint32_t size = static_cast<std::uint32_t>(path.Capacity()) + 1;
        std::uint32_t count = AskSystem(path, size);
        if (count < size) {
            path.SetLength(static_cast<std::int32_t>(count));
            return path;
        }
        if (path.Capacity() >= LargestPathCapacity) {
            return RawString(encoding, 0);
        }
        path.Body().Reserve(path.Capacity() * 2);
    }
}

}  // namespace

RawString ModulePath(RawEncoding encoding) {
    if (encoding == RawEncoding::AnsiCodePage || encoding == RawEncoding::ShiftJis ||
        encoding == RawEncoding::Wide) {
        return AskForPath(encoding);
    }
    return RawString(ModulePath(RawEncoding::Wide), encoding);
}

RawString ModuleDirectory() {
    RawString path = ModulePath(RawEncoding::ShiftJis);
    return RawString(path.Encoding(), path, DirectoryRange(path));
}

RawString ModuleBaseName() {
    RawString path = ModulePath(RawEncoding::ShiftJis);
    std::int32_t length = path.Length();
    std::int32_t separator = FindLastSeparator(path, {0, length});
    std::int32_t start = separator < length ? separator + 1 : 0;
    // The last backslash, slash or dot: a dot marks the extension only when no separator
    // follows it.
    std::int32_t last = FindLastOf(path, {0, length}, PathDelimiters());
    std::int32_t end = last >= 0 && last < length && path.UnitAt(last) == Dot ? last : length;
    return RawString(path.Encoding(), path, {start, end});
}

}  // namespace RawLayer
