#pragma once
// The twelve command words and their ids, in the order the usage text lists them.

#include <cstdint>

#include "library/text/raw_string.h"

namespace Velmoran {

// The actions by command word; the numbers are fixed, None names no command.
enum class CommandId : std::int32_t {
    None = 0,
    DisplayOff = 1,
    ScreenSaver = 2,
    LockScreen = 3,
    Standby = 4,
    StandbyLock = 5,
    Hibernation = 6,
    HibernationLock = 7,
    Logoff = 8,
    Poweroff = 9,
    PoweroffForce = 10,
    Reboot = 11,
    RebootForce = 12,
};

struct CommandEntry {
    RawLayer::RawString name;
    CommandId id;
};

// The first row; the rows end with one whose name is empty and whose id is 0.
const CommandEntry* GetCommandTable();

// The id of the row whose name equals the word exactly, or CommandId::None.
CommandId LookupCommand(const RawLayer::RawString& word);

}  // namespace Velmoran
