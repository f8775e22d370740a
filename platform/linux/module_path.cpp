// The running program's path, filled in the way GetModuleFileName fills its buffer (see
// platform/module_file_name.h).
//
// /proc/self/exe resolves symbolic links, so a link named after a command word would lose
// its name there. The path is therefore the real file's directory joined with the name the
// program was started under (argv[0]'s last component): a link or a copy so named acts like
// a renamed Velmoran.exe, and the read-me is looked for beside the real file. The packages
// install the real file with its read-me beside it, and put only a link on PATH.

#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/linux/process.h"
#include "platform/linux/stand_ins.h"
#include "platform/module_file_name.h"

namespace RawLayer::Os::Linux {
namespace {

std::string ReadRealPath() {
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

std::string ReadProgramPath() {
    std::string realPath = ReadRealPath();
    if (realPath.empty()) {
        return realPath;
    }
    std::size_t directoryEnd = realPath.find_last_of('/');
    std::vector<std::string> arguments = StartArguments();
    // argv[0]'s last component, unless the program was started without one.
    std::string name = arguments.empty() ? std::string() : arguments.front();
    name.erase(0, name.find_last_of('/') + 1);
    if (name.empty()) {
        name = realPath.substr(directoryEnd + 1);
    }
    return realPath.substr(0, directoryEnd + 1) + name;
}

}  // namespace

std::uint32_t GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size) {
    if (module != nullptr) {
        return 0;
    }
    return FillModuleFileName(ReadProgramPath(), buffer, size);
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
    return FillModuleFileName(wide, buffer, size);
}

}  // namespace RawLayer::Os::Linux
