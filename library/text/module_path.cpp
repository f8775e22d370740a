#include "library/text/module_path.h"

#include "library/text/path.h"
#include "library/text/text_building.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

constexpr std::int32_t ClassicPathCapacity = 260;
// Windows paths end at 32,767 characters; a buffer this large holds any of them.
constexpr std::int32_t LargestPathCapacity = 65536;
constexpr std::uint16_t Dot = 0x2E;
constexpr std::uint32_t LongestNarrowCharacter = 4;

std::uint32_t AskSystem(RawEncoding encoding, void* buffer, std::uint32_t size) {
    if (encoding == RawEncoding::Wide) {
        return Os::Os().GetModuleFileNameW(nullptr, static_cast<Os::WideUnit*>(buffer), size);
    }
    return Os::Os().GetModuleFileNameA(nullptr, static_cast<char*>(buffer), size);
}

// Whether a count the system gave for a buffer of the size proves the path whole. The system
// cuts a path that does not fit and reports the whole buffer as used. But a narrow path is
// converted from the wide one into the buffer, and the conversion stops before a character
// that does not fit whole: a cut path can then come back terminated and counted up to three
// bytes short of the size. Only room left for the longest narrow character (four bytes in
// UTF-8) proves that nothing was cut. A wide path is cut by units and always reported at
// full size.
bool IsWhole(RawEncoding encoding, std::uint32_t count, std::uint32_t size) {
    std::uint32_t room = encoding == RawEncoding::Wide ? 1 : LongestNarrowCharacter;
    return count < size && size - count >= room;
}

// Asks again with a larger buffer until the path has surely fit.
RawString AskForPath(RawEncoding encoding) {
    RawString path(encoding, ClassicPathCapacity);
    for (std::int32_t room = ClassicPathCapacity;; room = path.Capacity() * 2) {
        void* buffer = path.WritableBody(room).text;
        std::uint32_t size = static_cast<std::uint32_t>(path.Capacity()) + 1;
        std::uint32_t count = AskSystem(encoding, buffer, size);
        if (IsWhole(encoding, count, size)) {
            path.SetLength(static_cast<std::int32_t>(count));
            return path;
        }
        if (path.Capacity() >= LargestPathCapacity) {
            return RawString(encoding, 0);
        }
    }
}

// A stretch of the wide path as the system's narrow text: in the ANSI code page, tagged
// ShiftJis like all narrow text that comes from the system. A stretch that the code page
// cannot spell exactly stays wide: the conversion would put '?' or a look-alike in its place
// (é becomes e under code page 932), which names no file, or another one.
RawString SystemText(const RawString& widePath, RawRange range) {
    RawString wide(RawEncoding::Wide, widePath, range);
    RawString ansi(wide, RawEncoding::AnsiCodePage);
    if (!RawString(ansi, RawEncoding::Wide).Equals(wide)) {
        return wide;
    }
    RawString text(RawEncoding::ShiftJis, ansi.Length());
    AppendRange(text, ansi, {0, ansi.Length()});
    return text;
}

}  // namespace

RawString ModulePath(RawEncoding encoding) {
    if (encoding == RawEncoding::AnsiCodePage || encoding == RawEncoding::ShiftJis ||
        encoding == RawEncoding::Wide) {
        return AskForPath(encoding);
    }
    return RawString(ModulePath(RawEncoding::Wide), encoding);
}

// The directory and the base name are cut from the wide path, where a backslash is always a
// separator, and then brought into the ANSI code page, as the narrow call would give them.
// Cut from the narrow text, the Shift-JIS reading of its bytes would take a backslash behind
// a byte such as 0xE9 (an accented letter in a Western code page) for the second half of a
// character, and split the path at the wrong place.
RawString ModuleDirectory() {
    RawString path = ModulePath(RawEncoding::Wide);
    return SystemText(path, DirectoryRange(path));
}

RawString ModuleBaseName() {
    RawString path = ModulePath(RawEncoding::Wide);
    std::int32_t length = path.Length();
    std::int32_t separator = FindLastSeparator(path, {0, length});
    std::int32_t start = separator < length ? separator + 1 : 0;
    // The last backslash, slash or dot: a dot marks the extension only when no separator
    // follows it.
    std::int32_t last = FindLastOf(path, {0, length}, PathDelimiters());
    std::int32_t end = last >= 0 && last < length && path.UnitAt(last) == Dot ? last : length;
    return SystemText(path, {start, end});
}

}  // namespace RawLayer
