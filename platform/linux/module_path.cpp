// The running program's path from /proc/self/exe, filled in the way GetModuleFileName fills
// its buffer: a path that does not fit is cut, terminated, and reported as the full size.

#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

std::string ReadProgramPath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return std::string();
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

template <typename Unit>
std::uint32_t FillBuffer(const std::basic_string<Unit>& path, Unit* buffer, std::uint32_t size) {
    if (size == 0 || path.empty()) {
        return 0;
    }
    if (path.size() < size) {
        path.copy(buffer, path.size());
        buffer[path.size()] = 0;
        return static_cast<std::uint32_t>(path.size());
    }
    path.copy(buffer, size - 1);
    buffer[size - 1] = 0;
    return size;
}

}  // namespace

std::uint32_t GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size) {
    if (module != nullptr) {
        return 0;
    }
    return FillBuffer(ReadProgramPath(), buffer, size);
}

std::uint32_t GetModuleFileNameW(Handle module, WideUnit* buffer, std::uint32_t size) {
    if (module != nullptr) {
        return 0;
    }
    std::string path = ReadProgramPath();
    auto length = static_cast<std::int32_t>(path.size());
    std::int32_t units =
        MultiByteToWideChar(NativeAnsiCodePage, 0, path.data(), length, nullptr, 0);
    if (units <= 0) {
        return 0;
    }
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(NativeAnsiCodePage, 0, path.data(), length, wide.data(), units);
    return FillBuffer(wide, buffer, size);
}

}  // namespace RawLayer::Os::Linux
