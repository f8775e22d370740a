#pragma once
// The one door to the operating system: every Windows function the program relies on is
// called through this table. The Windows build fills it with the real functions, the
// native build with stand-ins; tests link a variant of Os() that lets them swap it. The
// entries have the system's own types and calling convention, so that the Windows table holds
// the system functions themselves, imported from kernel32 or looked up in the other system
// DLLs, wherever their text type allows. The entries are listed once, in boundary_entries.inc.

#include <cstdint>

#include "platform/os_types.h"
#include "platform/os_values.h"

namespace RawLayer::Os {

// One field per row of boundary_entries.inc, which says what each is.
struct Boundary {
#define LOOKED_UP(name, result, parameters, ...) result(RAWLAYER_SYSTEM_CALL* name) parameters;
#define IMPORTED LOOKED_UP
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
};

// The table of the platform this build runs on.
const Boundary& SystemBoundary();

// The table in use. The program's own definition always returns SystemBoundary().
const Boundary& Os();

}  // namespace RawLayer::Os
