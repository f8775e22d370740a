#pragma once
// Which command the program was started for: the first positional argument, or the program
// file's own base name when the command line holds no argument at all.

#include <cstdint>

namespace Velmoran {

// The command id 1 to 12 of the command word, or 0 when it names no command.
std::int32_t ResolveCommand();

}  // namespace Velmoran
