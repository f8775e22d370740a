#include "launcher/command_table.h"

namespace Velmoran {

using RawLayer::RawString;

const CommandEntry* GetCommandTable() {
    static const CommandEntry table[] = {
        {RawString::Constant("DisplayOff"), CommandId::DisplayOff},
        {RawString::Constant("ScreenSaver"), CommandId::ScreenSaver},
        {RawString::Constant("LockScreen"), CommandId::LockScreen},
        {RawString::Constant("Standby"), CommandId::Standby},
        {RawString::Constant("StandbyLock"), CommandId::StandbyLock},
        {RawString::Constant("Hibernation"), CommandId::Hibernation},
        {RawString::Constant("HibernationLock"), CommandId::HibernationLock},
        {RawString::Constant("Logoff"), CommandId::Logoff},
        {RawString::Constant("Poweroff"), CommandId::Poweroff},
        {RawString::Constant("PoweroffForce"), CommandId::PoweroffForce},
        {RawString::Constant("Reboot"), CommandId::Reboot},
        {RawString::Constant("RebootForce"), CommandId::RebootForce},
        {RawString::Constant(""), CommandId::None},
    };
    return table;
}

CommandId LookupCommand(const RawString& word) {
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
