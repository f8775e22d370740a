#pragma once
// The twelve power and workstation actions, carried out by command id.

#include <cstdint>

namespace Velmoran {

// Performs the action of a command id (1 to 12); true when its final call reported success,
// always true for the two broadcast messages, false for any other id.
bool ExecuteCommand(std::int32_t id);

// Enables the shutdown privilege in the process token; true when the adjusting call succeeded.
bool EnablePowerPrivilege();

}  // namespace Velmoran
