#include "platform/windows/system_libraries.h"

namespace RawLayer::Os::Windows {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Room for the system folder, a separator and the longest DLL name.
constexpr UINT PathCapacity = MAX_PATH + 16;

}  // namespace

bool RestrictDllSearch() {
    // Looked up, not imported, so that the program still starts where kernel32 lacks it.
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    FARPROC found =
        kernel32 != nullptr ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr;
    auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
    return setDefaultDllDirectories != nullptr &&
           setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}

HMODULE LoadSystemLibrary(const wchar_t* name, bool searchRestricted) {
    if (searchRestricted) {
        return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Without the restricted search, LOAD_LIBRARY_SEARCH_SYSTEM32 is refused as an unknown
    // flag. A full path names the file itself, and the altered search path looks for its
    // dependencies in its own folder before the program's.
    wchar_t path[PathCapacity];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    path[length] = L'\\';
    lstrcpynW(path + length + 1, name, static_cast<int>(PathCapacity - length - 1));
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibraries LoadSystemLibraries() {
    bool restricted = RestrictDllSearch();
    SystemLibraries libraries{LoadSystemLibrary(L"user32.dll", restricted),
                              LoadSystemLibrary(L"advapi32.dll", restricted),
                              LoadSystemLibrary(L"powrprof.dll", restricted),
                              LoadSystemLibrary(L"shell32.dll", restricted),
                              LoadSystemLibrary(L"ole32.dll", restricted)};
    // The theme library that the usage box brings in loads msimg32 by its bare name when it
    // first draws, through a path that Wine at least does not restrict. Loaded here from the
    // system folder, it is already in the process then, and a copy beside the program is never
    // looked at.
    LoadSystemLibrary(L"msimg32.dll", restricted);
    return libraries;
}

}  // namespace RawLayer::Os::Windows
