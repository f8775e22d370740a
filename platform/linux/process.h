#pragma once
// The process's own start: what the command-line and module-path stand-ins are made from.

#include <string>
#include <vector>

namespace RawLayer::Os::Linux {

// The arguments the program was started with, from /proc/self/cmdline: argv[0] first, as
// given (a link's own name), none when it cannot be read.
std::vector<std::string> StartArguments();

}  // namespace RawLayer::Os::Linux
