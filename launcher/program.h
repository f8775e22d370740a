#pragma once
// The program's one pass: resolve the command word, then act or help.

#include "launcher/command_table.h"

namespace Velmoran {

// The exit codes, so that scripts can tell a refused action from a done one.
inline constexpr int ExitDone = 0;
inline constexpr int ExitHelp = 1;
inline constexpr int ExitRefused = 2;

// ExitDone when the action was requested, ExitHelp when help was shown, ExitRefused when the
// system refused the action or the PC cannot do it.
int RunProgram();
// The same for a command word already resolved.
int RunCommand(CommandId id);

}  // namespace Velmoran
