#pragma once
// The running program's own file: its full path, its directory and its base name.

#include "library/text/raw_encoding.h"
#include "library/text/raw_string.h"

namespace RawLayer {

// The program file's full path in the encoding; never a truncated one. Empty when the
// system cannot tell.
RawString ModulePath(RawEncoding encoding);
// The directory of the program file without its final separator, in the system's ANSI code
// page like the narrow module path, tagged ShiftJis; Wide when that code page cannot spell
// it exactly.
RawString ModuleDirectory();
// The program file's name without directory and last extension, in the system's ANSI code
// page, tagged ShiftJis; Wide when that code page cannot spell it exactly.
RawString ModuleBaseName();

}  // namespace RawLayer
