#pragma once
// How the program reads the command line the system hands it. Shift-JIS is right only on
// Japanese systems; elsewhere a byte such as é (0xE9 in a Western code page) would be taken
// for the first half of a double-byte character and swallow the blank or quote after it.

#include "library/text/raw_encoding.h"

namespace Velmoran {

// ShiftJis under code page 932; otherwise the system's code page, read a byte at a time.
RawLayer::RawEncoding CommandLineEncoding();

}  // namespace Velmoran
