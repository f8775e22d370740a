#pragma once
// The twelve power and workstation actions, carried out by command id.

#include "launcher/command_table.h"

namespace Velmoran {

// Performs the action of a command id; true when its final call reported success (for the two
// broadcasts: when the message was posted), false for None or any value that names no command.
bool ExecuteCommand(CommandId id);

// Enables the shutdown privilege in the process token; true when the adjusting call succeeded.
bool EnablePowerPrivilege();

}  // namespace Velmoran
