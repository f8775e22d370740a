#include "launcher/command_table.h"

namespace Velmoran {

using RawLayer::RawString;

const CommandEntry* GetCommandTable() {
    static const CommandEntry table[] = {
        {RawString::Constant("DisplayOff"), 1},
        {RawString::Constant("ScreenSaver"), 2},
        {RawString::Constant("LockScreen"), 3},
        {RawString::Constant("Standby"), 4},
        {RawString::Constant("StandbyLock"), 5},
        {RawString::Constant("Hibernation"), 6},
        {RawString::Constant("HibernationLock"), 7},
        {RawString::Constant("Logoff"), 8},
        {RawString::Constant("Poweroff"), 9},
        {RawString::Constant("PoweroffForce"), 10},
        {RawString::Constant("Reboot"), 11},
        {RawString::Constant("RebootForce"), 12},
        {RawString::Constant(""), 0},
    };
    return table;
}

std::int32_t LookupCommand(const RawString& word) {
    const CommandEntry* row = GetCommandTable();
    // The terminator's empty name is never compared: an empty word names no command.
    for (; row->name.Length() != 0; ++row) {
        if (word.Equals(row->name)) {
            return row->id;
        }
    }
    return row->id;
}

}  // namespace Velmoran
