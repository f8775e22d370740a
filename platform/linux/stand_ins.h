#pragma once
// The native build's stand-ins for the Windows functions of the boundary, one file per
// area. Where Linux offers no such service, the stand-in reports failure and does nothing.
// The power and workstation actions go to the login manager and the desktop's services over
// D-Bus; one that is refused or finds no service says why on standard error.

#include <cstdint>

#include "platform/os_types.h"

namespace RawLayer::Os::Linux {

// Natively the "ANSI code page" is UTF-8, the encoding of Linux file names and of the
// command line in the locales this program is used with.
inline constexpr std::uint32_t NativeAnsiCodePage = 65001;

// Displays off and the screen saver, for the broadcast of those system commands only.
Bool PostMessageA(Handle window, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam);
// Locking the session, through the login manager or the desktop's screen saver.
Bool LockWorkStation();
// A plain log-off through the desktop's session manager.
Bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason);
// The process token: polkit decides instead, when the action is asked for, so these fail.
Bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token);
Bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid);
Bool AdjustTokenPrivileges(Handle token, Bool disableAll, TokenPrivileges* newState,
                           std::uint32_t bufferLength, TokenPrivileges* previousState,
                           std::uint32_t* returnLength);
// Shutdown, reboot and suspend through the login manager.
Bool InitiateSystemShutdownExA(char* machine, char* message, std::uint32_t timeout, Bool force,
                               Bool reboot, std::uint32_t reason);
std::uint8_t SetSuspendState(std::uint8_t hibernate, std::uint8_t force,
                             std::uint8_t wakeupEventsDisabled);

// Message box: a dialog on a desktop, else caption and text on standard error.
std::int32_t MessageBoxA(Handle owner, const char* text, const char* caption, std::uint32_t style);
std::int32_t MessageBoxW(Handle owner, const WideUnit* text, const WideUnit* caption,
                         std::uint32_t style);

// Shell launch: the desktop's opener for the file.
Bool ShellExecuteExA(ShellExecuteInfoA* info);
Bool ShellExecuteExW(ShellExecuteInfoW* info);

// COM: Linux has none, so initialisation is refused and there is nothing to undo.
HResult CoInitializeEx(void* reserved, std::uint32_t flags);
void CoUninitialize();

// Process: the raw command line, process handles as process ids.
char* GetCommandLineA();
// The code page that narrow system text is in: NativeAnsiCodePage.
std::uint32_t GetACP();
Handle GetCurrentProcess();
Bool CloseHandle(Handle handle);
std::uint32_t GetProcessId(Handle process);

// Module path from /proc/self/exe.
std::uint32_t GetModuleFileNameA(Handle module, char* buffer, std::uint32_t size);
std::uint32_t GetModuleFileNameW(Handle module, WideUnit* buffer, std::uint32_t size);

// File attributes from stat.
std::uint32_t GetFileAttributesA(const char* path);
std::uint32_t GetFileAttributesW(const WideUnit* path);

// Conversions between code pages and UTF-16 with the sizes and replacement characters of
// Wine's converters, for flags 0: code pages 932, 20932, 65000, 65001 and 0, which is
// NativeAnsiCodePage. Every other code page (51932 included, as under Wine 8) and every
// flag is refused with 0.
std::int32_t MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* source,
                                 std::int32_t sourceLength, WideUnit* target,
                                 std::int32_t targetLength);
std::int32_t WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                 const WideUnit* source, std::int32_t sourceLength, char* target,
                                 std::int32_t targetLength, const char* defaultChar,
                                 Bool* usedDefault);

// Locks: a mutex.
void InitializeCriticalSection(CriticalSection* section);
void EnterCriticalSection(CriticalSection* section);
void LeaveCriticalSection(CriticalSection* section);
void DeleteCriticalSection(CriticalSection* section);

}  // namespace RawLayer::Os::Linux
