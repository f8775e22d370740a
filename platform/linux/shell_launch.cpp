// Shell launch natively: the desktop's opener (xdg-open) started for the file, without a
// shell in between, its process id kept as the process handle. The opener takes one file
// and nothing else, so parameters and the verb do not reach it; the directory becomes its
// working directory and the place where a relative file is looked for, as the shell does.

#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

extern char** environ;

namespace RawLayer::Os::Linux {
namespace {

// %NAME% becomes the variable's value; a name that is not set stays as it was written.
std::string ExpandEnvironment(const std::string& text) {
    std::string expanded;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t open = text.find('%', position);
        std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            break;
        }
        const char* value = std::getenv(text.substr(open + 1, close - open - 1).c_str());
        if (value == nullptr) {
            // The closing mark may open the next name.
            expanded += text.substr(position, close - position);
            position = close;
            continue;
        }
        expanded += text.substr(position, open - position) + value;
        position = close + 1;
    }
    return expanded + text.substr(std::min(position, text.size()));
}

std::string NativePath(std::string path, std::uint32_t mask) {
    if ((mask & SeeMaskDoEnvSubst) != 0) {
        path = ExpandEnvironment(path);
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

Handle Open(const std::string& file, const std::string& directory) {
    if (file.empty()) {
        return nullptr;
    }
    std::string located = directory.empty() || file.front() == '/' ? file : directory + "/" + file;
    // The shell refuses a file that is not there before it starts anything; so does this.
    struct stat status {};
    if (stat(located.c_str(), &status) != 0) {
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return nullptr;
    }
    std::string opener = "xdg-open";
    char* arguments[] = {opener.data(), located.data(), nullptr};
    pid_t pid = 0;
    bool started = (directory.empty() ||
                    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) == 0) &&
                   posix_spawnp(&pid, opener.c_str(), &actions, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) {
        return nullptr;
    }
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(pid));
}

template <typename Info>
Bool Launch(Info* info, const std::string& file, const std::string& directory) {
    Handle process = Open(NativePath(file, info->fMask), NativePath(directory, info->fMask));
    if (process == nullptr) {
        return 0;
    }
    if ((info->fMask & SeeMaskNoCloseProcess) != 0) {
        info->hProcess = process;
    } else {
        CloseHandle(process);
    }
    return 1;
}

std::string Narrow(const char* text) {
    return text != nullptr ? text : "";
}

std::string Narrow(const WideUnit* text) {
    return text != nullptr ? NarrowNative(text) : std::string();
}

}  // namespace

Bool ShellExecuteExA(ShellExecuteInfoA* info) {
    return Launch(info, Narrow(info->lpFile), Narrow(info->lpDirectory));
}

Bool ShellExecuteExW(ShellExecuteInfoW* info) {
    return Launch(info, Narrow(info->lpFile), Narrow(info->lpDirectory));
}

}  // namespace RawLayer::Os::Linux
