#pragma once
// The system DLLs the program calls into, loaded from the system folder only. The program is
// made to be copied into any folder (Downloads, a USB stick), and a DLL planted beside it
// under a system DLL's name, or under the name of one of their dependencies, must never run.
// Each is loaded the first time one of its functions is called: a word pays only for the DLLs
// its action calls, and the shell's dozen dependencies stay out of every path but help's.

#include <windows.h>

namespace RawLayer::Os::Windows {

// The DLLs beside kernel32 that the boundary's entries are looked up in; Msimg32 stays last.
enum class SystemLibrary : unsigned char {
    User32,
    Advapi32,
    Powrprof,
    Wtsapi32,
    Shell32,
    Ole32,
    Msimg32
};

// On the first call, restricts every later DLL search of the process, the system's own loads
// on our behalf included, to the system folder; every call answers whether that worked. False
// where the system cannot (Vista, and Windows 7 without its 2011 loader update, lack the call).
// The entry point calls it first of all, and every load below calls it before loading.
bool DllSearchRestricted();

// Loads a system DLL from the system folder: through the restricted search, or, where the
// search could not be restricted, by its full path with its own dependencies looked up from
// there. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name, bool searchRestricted);

// The process's copy of a library, loaded on the first call that asks for it (after the search
// is restricted) and kept; null while it cannot be loaded.
struct ProcessLibraries {
    static HMODULE Load(SystemLibrary library);
};

}  // namespace RawLayer::Os::Windows
