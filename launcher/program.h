#pragma once
// The program's one pass: resolve the command word, then act or help.

namespace Velmoran {

// 0 when the action was requested, 1 when help was shown, 2 when the system refused the
// action, so that scripts can tell a refused action from a done one.
int RunProgram();

}  // namespace Velmoran
