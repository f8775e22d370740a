#include "platform/windows/system_libraries.h"

#include <atomic>
#include <iterator>

namespace RawLayer::Os::Windows {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Room for the system folder, a separator and the longest DLL name.
constexpr UINT PathCapacity = MAX_PATH + 16;

// In the order of SystemLibrary.
constexpr const wchar_t* LibraryNames[] = {L"user32.dll",   L"advapi32.dll", L"powrprof.dll",
                                           L"wtsapi32.dll", L"shell32.dll",  L"ole32.dll",
                                           L"msimg32.dll"};
// Msimg32 is the last library.
static_assert(std::size(LibraryNames) == static_cast<std::size_t>(SystemLibrary::Msimg32) + 1,
              "one name per library");

// Unknown until the first call of DllSearchRestricted(), then its answer.
enum class Search : unsigned char { Unknown, Restricted, Unrestricted };

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

}  // namespace

bool DllSearchRestricted() {
    // Atomics cost nothing over plain stores here, and keep a second thread's first call
    // well defined: at worst both restrict, which changes nothing.
    static std::atomic<Search> search{Search::Unknown};
    Search known = search.load(std::memory_order_relaxed);
    if (known == Search::Unknown) {
        known = RestrictDllSearch() ? Search::Restricted : Search::Unrestricted;
        search.store(known, std::memory_order_relaxed);
    }
    return known == Search::Restricted;
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

HMODULE ProcessLibraries::Load(SystemLibrary library) {
    // Two threads loading the same DLL at once both get it; the system counts both loads.
    static std::atomic<HMODULE> loaded[std::size(LibraryNames)];
    auto index = static_cast<unsigned>(library);
    HMODULE module = loaded[index].load(std::memory_order_acquire);
    if (module == nullptr) {
        module = LoadSystemLibrary(LibraryNames[index], DllSearchRestricted());
        loaded[index].store(module, std::memory_order_release);
    }
    return module;
}

}  // namespace RawLayer::Os::Windows
