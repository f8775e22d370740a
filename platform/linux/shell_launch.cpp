// Shell launch natively: the desktop's opener (xdg-open) started for the file, without a
// shell in between, its process id kept as the process handle.

#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

extern char** environ;

namespace RawLayer::Os::Linux {
namespace {

constexpr std::uint32_t MaskNoCloseProcess = 0x40u;

Handle Open(std::string file) {
    if (file.empty()) {
        return nullptr;
    }
    std::replace(file.begin(), file.end(), '\\', '/');
    // The shell refuses a file that is not there before it starts anything; so does this.
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) {
        return nullptr;
    }
    std::string opener = "xdg-open";
    char* arguments[] = {opener.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, opener.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        return nullptr;
    }
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(pid));
}

template <typename Info>
Bool Launch(Info* info, const std::string& file) {
    Handle process = Open(file);
    if (process == nullptr) {
        return 0;
    }
    if ((info->fMask & MaskNoCloseProcess) != 0) {
        info->hProcess = process;
    } else {
        CloseHandle(process);
    }
    return 1;
}

}  // namespace

Bool ShellExecuteExA(ShellExecuteInfoA* info) {
    return Launch(info, info->lpFile != nullptr ? info->lpFile : "");
}

Bool ShellExecuteExW(ShellExecuteInfoW* info) {
    return Launch(info, info->lpFile != nullptr ? NarrowNative(info->lpFile) : std::string());
}

}  // namespace RawLayer::Os::Linux
