#pragma once
// The one door to the operating system: every Windows function the program relies on is
// called through this table. The Windows build fills it with the real functions, the
// native build with stand-ins; tests link a variant of Os() that lets them swap it. The
// entries have the system's own types and calling convention, so that the Windows table holds
// the system functions themselves, imported from kernel32 or looked up in the other system
// DLLs, wherever their text type allows.

#include <cstdint>

#include "platform/os_types.h"
#include "platform/os_values.h"

namespace RawLayer::Os {

struct Boundary {
    // user32
    Bool(RAWLAYER_SYSTEM_CALL* PostMessageA)(WindowHandle window, std::uint32_t message,
                                             std::uintptr_t wParam, LongParam lParam);
    Bool(RAWLAYER_SYSTEM_CALL* LockWorkStation)();
    Bool(RAWLAYER_SYSTEM_CALL* ExitWindowsEx)(std::uint32_t flags, Dword reason);
    Bool(RAWLAYER_SYSTEM_CALL* GetLastInputInfo)(LastInputInfo* info);
    int(RAWLAYER_SYSTEM_CALL* MessageBoxA)(WindowHandle owner, const char* text,
                                           const char* caption, std::uint32_t style);
    int(RAWLAYER_SYSTEM_CALL* MessageBoxW)(WindowHandle owner, const WideUnit* text,
                                           const WideUnit* caption, std::uint32_t style);

    // advapi32
    Bool(RAWLAYER_SYSTEM_CALL* OpenProcessToken)(Handle process, Dword access, Handle* token);
    Bool(RAWLAYER_SYSTEM_CALL* LookupPrivilegeValueA)(const char* systemName, const char* name,
                                                      Luid* luid);
    Bool(RAWLAYER_SYSTEM_CALL* AdjustTokenPrivileges)(Handle token, Bool disableAll,
                                                      TokenPrivileges* newState, Dword bufferLength,
                                                      TokenPrivileges* previousState,
                                                      Dword* returnLength);
    // The texts are not changed; the system declares them writable.
    Bool(RAWLAYER_SYSTEM_CALL* InitiateSystemShutdownExA)(char* machine, char* message,
                                                          Dword timeout, Bool force, Bool reboot,
                                                          Dword reason);

    // powrprof: one-byte booleans in and out.
    std::uint8_t(RAWLAYER_SYSTEM_CALL* SetSuspendState)(std::uint8_t hibernate, std::uint8_t force,
                                                        std::uint8_t wakeupEventsDisabled);
    // An NTSTATUS: 0 is success.
    std::int32_t(RAWLAYER_SYSTEM_CALL* CallNtPowerInformation)(std::int32_t level, void* input,
                                                               Dword inputLength, void* output,
                                                               Dword outputLength);

    // shell32
    Bool(RAWLAYER_SYSTEM_CALL* ShellExecuteExA)(ShellExecuteInfoA* info);
    Bool(RAWLAYER_SYSTEM_CALL* ShellExecuteExW)(ShellExecuteInfoW* info);

    // ole32: the handler the shell picks for a file may be a COM object.
    HResult(RAWLAYER_SYSTEM_CALL* CoInitializeEx)(void* reserved, Dword flags);
    void(RAWLAYER_SYSTEM_CALL* CoUninitialize)();

    // kernel32
    char*(RAWLAYER_SYSTEM_CALL* GetCommandLineA)();
    std::uint32_t(RAWLAYER_SYSTEM_CALL* GetACP)();
    Handle(RAWLAYER_SYSTEM_CALL* GetCurrentProcess)();
    Dword(RAWLAYER_SYSTEM_CALL* GetTickCount)();
    void(RAWLAYER_SYSTEM_CALL* Sleep)(Dword milliseconds);
    Bool(RAWLAYER_SYSTEM_CALL* CloseHandle)(Handle handle);
    Dword(RAWLAYER_SYSTEM_CALL* GetProcessId)(Handle process);
    Dword(RAWLAYER_SYSTEM_CALL* GetModuleFileNameA)(ModuleHandle module, char* buffer, Dword size);
    Dword(RAWLAYER_SYSTEM_CALL* GetModuleFileNameW)(ModuleHandle module, WideUnit* buffer,
                                                    Dword size);
    Dword(RAWLAYER_SYSTEM_CALL* GetFileAttributesA)(const char* path);
    Dword(RAWLAYER_SYSTEM_CALL* GetFileAttributesW)(const WideUnit* path);
    int(RAWLAYER_SYSTEM_CALL* MultiByteToWideChar)(std::uint32_t codePage, Dword flags,
                                                   const char* source, int sourceLength,
                                                   WideUnit* target, int targetLength);
    int(RAWLAYER_SYSTEM_CALL* WideCharToMultiByte)(std::uint32_t codePage, Dword flags,
                                                   const WideUnit* source, int sourceLength,
                                                   char* target, int targetLength,
                                                   const char* defaultChar, Bool* usedDefault);
    void(RAWLAYER_SYSTEM_CALL* InitializeCriticalSection)(CriticalSection* section);
    void(RAWLAYER_SYSTEM_CALL* EnterCriticalSection)(CriticalSection* section);
    void(RAWLAYER_SYSTEM_CALL* LeaveCriticalSection)(CriticalSection* section);
    void(RAWLAYER_SYSTEM_CALL* DeleteCriticalSection)(CriticalSection* section);
};

// The table of the platform this build runs on.
const Boundary& SystemBoundary();

// The table in use. The program's own definition always returns SystemBoundary().
const Boundary& Os();

}  // namespace RawLayer::Os
