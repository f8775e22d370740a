#pragma once
// The system DLLs the program calls into, loaded from the system folder only. The program is
// made to be copied into any folder (Downloads, a USB stick), and a DLL planted beside it
// under a system DLL's name, or under the name of one of their dependencies, must never run.

#include <windows.h>

namespace RawLayer::Os::Windows {

// The DLLs beside kernel32 that the boundary resolves its entries from; null where one could
// not be loaded.
struct SystemLibraries {
    HMODULE user32;
    HMODULE advapi32;
    HMODULE powrprof;
    HMODULE shell32;
    HMODULE ole32;
};

// Restricts every later DLL search of the process, the system's own loads on our behalf
// included, to the system folder. False where the system cannot (Vista, and Windows 7 without
// its 2011 loader update, lack the call).
bool RestrictDllSearch();

// Loads a system DLL from the system folder: through the restricted search, or, where the
// search could not be restricted, by its full path with its own dependencies looked up from
// there. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name, bool searchRestricted);

// Restricts the search, then loads every DLL of SystemLibraries.
SystemLibraries LoadSystemLibraries();

}  // namespace RawLayer::Os::Windows
