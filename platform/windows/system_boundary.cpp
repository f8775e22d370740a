// The Windows build. The import table holds only kernel32 and the C runtime: a DLL imported
// the usual way has its own dependencies looked up in the program's folder first, before any
// code of ours could prevent it. Everything else is loaded from the system folder once the
// search is restricted, and its functions resolved into the table by name. Only kernel32's
// calls that take wide text go through an adapter, which hands our 16-bit units over as
// wchar_t; looked-up functions are taken with the table's types directly.

#include "platform/windows/system_boundary.h"

namespace RawLayer::Os {
namespace Windows {
namespace {

// The entry of a function that could not be resolved: it does nothing and reports Failure.
template <auto Failure, typename Function>
struct Refused;

template <auto Failure, typename Result, typename... Arguments>
struct Refused<Failure, Result(WINAPI*)(Arguments...)> {
    static Result WINAPI Call(Arguments...) { return static_cast<Result>(Failure); }
};

template <auto Failure, typename... Arguments>
struct Refused<Failure, void(WINAPI*)(Arguments...)> {
    static void WINAPI Call(Arguments...) {}
};

template <auto Failure, typename Function>
void Resolve(Function& entry, HMODULE library, const char* name) {
    FARPROC found = library != nullptr ? GetProcAddress(library, name) : nullptr;
    entry = found != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(found))
                             : Refused<Failure, Function>::Call;
}

const wchar_t* AsSystemWide(const WideUnit* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// kernel32's wide calls, taking our units.
DWORD WINAPI GetModuleFileNameWide(HMODULE module, WideUnit* buffer, DWORD size) {
    return ::GetModuleFileNameW(module, reinterpret_cast<wchar_t*>(buffer), size);
}

DWORD WINAPI GetFileAttributesWide(const WideUnit* path) {
    return ::GetFileAttributesW(AsSystemWide(path));
}

int WINAPI MultiByteToWide(UINT codePage, DWORD flags, const char* source, int sourceLength,
                           WideUnit* target, int targetLength) {
    return ::MultiByteToWideChar(codePage, flags, source, sourceLength,
                                 reinterpret_cast<wchar_t*>(target), targetLength);
}

int WINAPI WideToMultiByte(UINT codePage, DWORD flags, const WideUnit* source, int sourceLength,
                           char* target, int targetLength, const char* defaultChar,
                           BOOL* usedDefault) {
    return ::WideCharToMultiByte(codePage, flags, AsSystemWide(source), sourceLength, target,
                                 targetLength, defaultChar, usedDefault);
}

}  // namespace

Boundary ResolveBoundary(const SystemLibraries& libraries) {
    Boundary table{};
    Resolve<FALSE>(table.PostMessageA, libraries.user32, "PostMessageA");
    Resolve<FALSE>(table.LockWorkStation, libraries.user32, "LockWorkStation");
    Resolve<FALSE>(table.ExitWindowsEx, libraries.user32, "ExitWindowsEx");
    Resolve<FALSE>(table.GetLastInputInfo, libraries.user32, "GetLastInputInfo");
    Resolve<0>(table.MessageBoxA, libraries.user32, "MessageBoxA");
    Resolve<0>(table.MessageBoxW, libraries.user32, "MessageBoxW");

    Resolve<FALSE>(table.OpenProcessToken, libraries.advapi32, "OpenProcessToken");
    Resolve<FALSE>(table.LookupPrivilegeValueA, libraries.advapi32, "LookupPrivilegeValueA");
    Resolve<FALSE>(table.AdjustTokenPrivileges, libraries.advapi32, "AdjustTokenPrivileges");
    Resolve<FALSE>(table.InitiateSystemShutdownExA, libraries.advapi32,
                   "InitiateSystemShutdownExA");

    Resolve<FALSE>(table.SetSuspendState, libraries.powrprof, "SetSuspendState");
    Resolve<StatusNotImplemented>(table.CallNtPowerInformation, libraries.powrprof,
                                  "CallNtPowerInformation");

    Resolve<FALSE>(table.ShellExecuteExA, libraries.shell32, "ShellExecuteExA");
    Resolve<FALSE>(table.ShellExecuteExW, libraries.shell32, "ShellExecuteExW");

    Resolve<E_NOTIMPL>(table.CoInitializeEx, libraries.ole32, "CoInitializeEx");
    Resolve<0>(table.CoUninitialize, libraries.ole32, "CoUninitialize");

    table.GetCommandLineA = ::GetCommandLineA;
    table.GetACP = ::GetACP;
    table.GetCurrentProcess = ::GetCurrentProcess;
    table.GetTickCount = ::GetTickCount;
    table.Sleep = ::Sleep;
    table.CloseHandle = ::CloseHandle;
    table.GetProcessId = ::GetProcessId;
    table.GetModuleFileNameA = ::GetModuleFileNameA;
    table.GetModuleFileNameW = GetModuleFileNameWide;
    table.GetFileAttributesA = ::GetFileAttributesA;
    table.GetFileAttributesW = GetFileAttributesWide;
    table.MultiByteToWideChar = MultiByteToWide;
    table.WideCharToMultiByte = WideToMultiByte;
    table.InitializeCriticalSection = ::InitializeCriticalSection;
    table.EnterCriticalSection = ::EnterCriticalSection;
    table.LeaveCriticalSection = ::LeaveCriticalSection;
    table.DeleteCriticalSection = ::DeleteCriticalSection;
    return table;
}

}  // namespace Windows

const Boundary& SystemBoundary() {
    // Built on first use, which the entry point makes the program's first step: no DLL is
    // loaded before the search is restricted.
    static const Boundary table = Windows::ResolveBoundary(Windows::LoadSystemLibraries());
    return table;
}

}  // namespace RawLayer::Os
