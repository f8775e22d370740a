// The Windows build: the table holds the system functions themselves. Only two kinds of entry
// go through an adapter: the calls that take wide text, which hand our 16-bit units over as
// wchar_t, and SetSuspendState, which is looked up in powrprof on its first use.

#include "platform/boundary.h"

namespace RawLayer::Os {
namespace {

using SetSuspendStateFunction = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);

// powrprof is not one of the DLLs that Windows always takes from the system directory, and
// the program is made to be copied into any folder. Loading it by name from the system
// directory only keeps a planted copy beside the program from ever being loaded.
SetSuspendStateFunction FindSetSuspendState() {
    HMODULE module = LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<SetSuspendStateFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "SetSuspendState")));
}

std::uint8_t WINAPI SuspendThroughSystem(std::uint8_t hibernate, std::uint8_t force,
                                         std::uint8_t wakeupEventsDisabled) {
    static const SetSuspendStateFunction function = FindSetSuspendState();
    if (function == nullptr) {
        return 0;
    }
    return function(hibernate, force, wakeupEventsDisabled);
}

const wchar_t* AsSystemWide(const WideUnit* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

const Boundary systemBoundary = {
    ::PostMessageA,
    ::LockWorkStation,
    ::ExitWindowsEx,
    ::MessageBoxA,
    [](HWND owner, const WideUnit* text, const WideUnit* caption, UINT style)
        WINAPI { return ::MessageBoxW(owner, AsSystemWide(text), AsSystemWide(caption), style); },
    ::OpenProcessToken,
    ::LookupPrivilegeValueA,
    ::AdjustTokenPrivileges,
    ::InitiateSystemShutdownExA,
    SuspendThroughSystem,
    ::ShellExecuteExA,
    [](ShellExecuteInfoW* info)
        WINAPI { return ::ShellExecuteExW(reinterpret_cast<SHELLEXECUTEINFOW*>(info)); },
    ::GetCommandLineA,
    ::GetACP,
    ::GetCurrentProcess,
    ::CloseHandle,
    ::GetProcessId,
    ::GetModuleFileNameA,
    [](HMODULE module, WideUnit* buffer, DWORD size)
        WINAPI { return ::GetModuleFileNameW(module, reinterpret_cast<wchar_t*>(buffer), size); },
    ::GetFileAttributesA,
    [](const WideUnit* path) WINAPI { return ::GetFileAttributesW(AsSystemWide(path)); },
    [](UINT codePage, DWORD flags, const char* source, int sourceLength, WideUnit* target,
       int targetLength) WINAPI {
        return ::MultiByteToWideChar(codePage, flags, source, sourceLength,
                                     reinterpret_cast<wchar_t*>(target), targetLength);
    },
    [](UINT codePage, DWORD flags, const WideUnit* source, int sourceLength, char* target,
       int targetLength, const char* defaultChar, BOOL* usedDefault) WINAPI {
        return ::WideCharToMultiByte(codePage, flags, AsSystemWide(source), sourceLength, target,
                                     targetLength, defaultChar, usedDefault);
    },
    ::InitializeCriticalSection,
    ::EnterCriticalSection,
    ::LeaveCriticalSection,
    ::DeleteCriticalSection,
};

}  // namespace

const Boundary& SystemBoundary() {
    return systemBoundary;
}

}  // namespace RawLayer::Os
