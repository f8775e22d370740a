#pragma once
// The one door to the operating system: every Windows function the program relies on is
// called through this table. The Windows build fills it with the real functions, the
// native build with stand-ins; tests link a variant of Os() that lets them swap it.

#include <cstdint>

#include "platform/os_types.h"

namespace RawLayer::Os {

struct Boundary {
    // user32
    Bool (*PostMessageA)(Handle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);
    Bool (*LockWorkStation)();
    Bool (*ExitWindowsEx)(std::uint32_t flags, std::uint32_t reason);
    std::int32_t (*MessageBoxA)(Handle owner, const char* text, const char* caption,
                                std::uint32_t style);
    std::int32_t (*MessageBoxW)(Handle owner, const WideUnit* text, const WideUnit* caption,
                                std::uint32_t style);

    // advapi32
    Bool (*OpenProcessToken)(Handle process, std::uint32_t access, Handle* token);
    Bool (*LookupPrivilegeValueA)(const char* systemName, const char* name, Luid* luid);
    Bool (*AdjustTokenPrivileges)(Handle token, Bool disableAll, TokenPrivileges* newState,
                                  std::uint32_t bufferLength, TokenPrivileges* previousState,
                                  std::uint32_t* returnLength);
    Bool (*InitiateSystemShutdownExA)(const char* machine, const char* message,
                                      std::uint32_t timeout, Bool force, Bool reboot,
                                      std::uint32_t reason);

    // powrprof: one-byte booleans in and out.
    std::uint8_t (*SetSuspendState)(std::uint8_t hibernate, std::uint8_t force,
                                    std::uint8_t wakeupEventsDisabled);

    // shell32
    Bool (*ShellExecuteExA)(ShellExecuteInfoA* info);
    Bool (*ShellExecuteExW)(ShellExecuteInfoW* info);

    // kernel32
    const char* (*GetCommandLineA)();
    std::uint32_t (*GetACP)();
    Handle (*GetCurrentProcess)();
    Bool (*CloseHandle)(Handle handle);
    std::uint32_t (*GetProcessId)(Handle process);
    std::uint32_t (*GetModuleFileNameA)(Handle module, char* buffer, std::uint32_t size);
    std::uint32_t (*GetModuleFileNameW)(Handle module, WideUnit* buffer, std::uint32_t size);
    std::uint32_t (*GetFileAttributesA)(const char* path);
    std::uint32_t (*GetFileAttributesW)(const WideUnit* path);
    std::int32_t (*MultiByteToWideChar)(std::uint32_t codePage, std::uint32_t flags,
                                        const char* source, std::int32_t sourceLength,
                                        WideUnit* target, std::int32_t targetLength);
    std::int32_t (*WideCharToMultiByte)(std::uint32_t codePage, std::uint32_t flags,
                                        const WideUnit* source, std::int32_t sourceLength,
                                        char* target, std::int32_t targetLength,
                                        const char* defaultChar, Bool* usedDefault);
    void (*InitializeCriticalSection)(CriticalSection* section);
    void (*EnterCriticalSection)(CriticalSection* section);
    void (*LeaveCriticalSection)(CriticalSection* section);
    void (*DeleteCriticalSection)(CriticalSection* section);
};

// The table of the platform this build runs on.
const Boundary& SystemBoundary();

// The table in use. The program's own definition always returns SystemBoundary().
const Boundary& Os();

}  // namespace RawLayer::Os
