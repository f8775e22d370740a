#pragma once
// The program's one pass: resolve the command word, then act or help.

namespace Velmoran {

// The exit codes, so that scripts can tell a refused action from a done one.
inline constexpr int ExitDone = 0;
inline constexpr int ExitHelp = 1;
inline constexpr int ExitRefused = 2;

// ExitDone when the action was requested, ExitHelp when help was shown, ExitRefused when the
// system refused the action or the PC cannot do it.
int RunProgram();

}  // namespace Velmoran
