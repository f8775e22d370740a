#include "launcher/command_table.h"

#include <cstring>

namespace Velmoran {
namespace {

using RawLayer::RawString;

constexpr std::int32_t CommandCount = 12;

// The twelve words in id order, each ending in a zero byte: the word of id n is the n-th.
constexpr char CommandWords[] =
    "DisplayOff\0ScreenSaver\0LockScreen\0Standby\0StandbyLock\0Hibernation\0"
    "HibernationLock\0Logoff\0Poweroff\0PoweroffForce\0Reboot\0RebootForce";

// The rows are built in one loop over the words rather than one initialiser each: every
// initialiser of a static array carries its own clean-up path, and the program is meant to
// stay small. The last row keeps its empty name and takes id 0.
struct CommandTable {
    CommandEntry rows[CommandCount + 1];

    CommandTable() {
        const char* word = CommandWords;
        for (std::int32_t id = 1; id <= CommandCount; ++id) {
            rows[id - 1].name = RawString::Constant(word);
            rows[id - 1].id = id;
            word += std::strlen(word) + 1;
        }
        rows[CommandCount].name = RawString::Constant("");
        rows[CommandCount].id = 0;
    }
};

}  // namespace

const CommandEntry* GetCommandTable() {
    static const CommandTable table;
    return table.rows;
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
