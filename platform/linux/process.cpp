// Process stand-ins and the arguments they come from. A process handle is the process id
// carried in the pointer; the current process has the same pseudo handle Windows gives it.

#include "platform/linux/process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// Windows hands programs one raw line; rebuild it from the argument vector, quoting the
// arguments that a blank would otherwise split.
std::string JoinCommandLine() {
    std::string line;
    for (const std::string& argument : StartArguments()) {
        if (!line.empty()) {
            line += ' ';
        }
        bool needsQuotes = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        line += needsQuotes ? '"' + argument + '"' : argument;
    }
    return line;
}

}  // namespace

std::vector<std::string> StartArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos) {
            end = raw.size();
        }
        arguments.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

char* GetCommandLineA() {
    static std::string line = JoinCommandLine();
    return line.data();
}

Handle GetCurrentProcess() {
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1));
}

Bool CloseHandle(Handle handle) {
    auto pid = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(handle));
    if (pid <= 0) {
        return 0;
    }
    // Reap the child if it has ended, so that closing the handle leaves no zombie behind.
    waitpid(pid, nullptr, WNOHANG);
    return 1;
}

// No Windows version at all: 0.0, which no check for a particular Windows matches.
std::uint32_t GetVersion() {
    return 0;
}

std::uint32_t GetProcessId(Handle process) {
    auto pid = reinterpret_cast<std::intptr_t>(process);
    return pid > 0 ? static_cast<std::uint32_t>(pid) : 0;
}

}  // namespace RawLayer::Os::Linux
