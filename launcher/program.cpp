#include "launcher/program.h"

#include "launcher/command_resolution.h"
#include "launcher/help.h"
#include "launcher/power_actions.h"

namespace Velmoran {

int RunProgram() {
    return RunCommand(ResolveCommand());
}

int RunCommand(CommandId id) {
    if (id == CommandId::None) {
        ShowHelp();
        return ExitHelp;
    }
    return ExecuteCommand(id) ? ExitDone : ExitRefused;
}

}  // namespace Velmoran
