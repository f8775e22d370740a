#pragma once
// Which command the program was started for: the first positional argument, or the program
// file's own base name when the command line holds no argument at all.

#include "launcher/command_table.h"

namespace Velmoran {

// The command id of the command word, or CommandId::None when it names no command.
CommandId ResolveCommand();

}  // namespace Velmoran
