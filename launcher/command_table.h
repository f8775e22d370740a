#pragma once
// The twelve command words and their ids, in the order the usage text lists them.

#include <cstdint>

#include "library/text/raw_string.h"

namespace Velmoran {

struct CommandEntry {
    RawLayer::RawString name;
    std::int32_t id;
};

// The first row; the rows end with one whose name is empty and whose id is 0.
const CommandEntry* GetCommandTable();

// The id of the row whose name equals the word exactly, or 0.
std::int32_t LookupCommand(const RawLayer::RawString& word);

}  // namespace Velmoran
