#pragma once
// The native build's stand-ins for the Windows functions of the boundary, one file per
// area. Where Linux offers no such service, the stand-in reports failure and does nothing.
// The power and workstation actions go to the login manager and the desktop's services over
// D-Bus; one that is refused or finds no service says why on standard error. Each is declared
// with the type of its boundary entry, so that a definition whose signature drifts from the
// entry's declares another function, and the table no longer compiles.

#include <cstdint>
#include <type_traits>

#include "platform/boundary.h"

namespace RawLayer::Os::Linux {

// The function type of a boundary entry.
template <typename Entry>
using StandIn = std::remove_pointer_t<Entry>;

// Displays off and the screen saver, for the broadcast of those system commands only.
StandIn<decltype(Boundary::PostMessageA)> PostMessageA;
// Locking the session, through the login manager or the desktop's screen saver.
StandIn<decltype(Boundary::LockWorkStation)> LockWorkStation;
// A plain log-off through the desktop's session manager.
StandIn<decltype(Boundary::ExitWindowsEx)> ExitWindowsEx;
// The time of the last keyboard or mouse input, where the desktop tells the idle time.
StandIn<decltype(Boundary::GetLastInputInfo)> GetLastInputInfo;
// The process token: polkit decides instead, when the action is asked for, so these fail.
StandIn<decltype(Boundary::OpenProcessToken)> OpenProcessToken;
StandIn<decltype(Boundary::LookupPrivilegeValueA)> LookupPrivilegeValueA;
StandIn<decltype(Boundary::AdjustTokenPrivileges)> AdjustTokenPrivileges;
// Shutdown, reboot and suspend through the login manager.
StandIn<decltype(Boundary::InitiateSystemShutdownExA)> InitiateSystemShutdownExA;
StandIn<decltype(Boundary::SetSuspendState)> SetSuspendState;
// The capability record, for the sleep states only, from what the login manager can do.
StandIn<decltype(Boundary::CallNtPowerInformation)> CallNtPowerInformation;

// Message box: a dialog on a desktop, else caption and text on standard error.
StandIn<decltype(Boundary::MessageBoxA)> MessageBoxA;
StandIn<decltype(Boundary::MessageBoxW)> MessageBoxW;

// Shell launch: the desktop's opener for the file.
StandIn<decltype(Boundary::ShellExecuteExA)> ShellExecuteExA;
StandIn<decltype(Boundary::ShellExecuteExW)> ShellExecuteExW;

// COM: Linux has none, so initialisation is refused and there is nothing to undo.
StandIn<decltype(Boundary::CoInitializeEx)> CoInitializeEx;
StandIn<decltype(Boundary::CoUninitialize)> CoUninitialize;

// Process: the raw command line, process handles as process ids.
StandIn<decltype(Boundary::GetCommandLineA)> GetCommandLineA;
StandIn<decltype(Boundary::GetCurrentProcess)> GetCurrentProcess;
// Milliseconds from a monotonic clock, wrapping at 32 bits as the system's tick count does.
StandIn<decltype(Boundary::GetTickCount)> GetTickCount;
StandIn<decltype(Boundary::Sleep)> Sleep;
StandIn<decltype(Boundary::CloseHandle)> CloseHandle;
StandIn<decltype(Boundary::GetProcessId)> GetProcessId;

// Module path: the real file's folder from /proc/self/exe, with the name it was started under.
StandIn<decltype(Boundary::GetModuleFileNameA)> GetModuleFileNameA;
StandIn<decltype(Boundary::GetModuleFileNameW)> GetModuleFileNameW;

// File attributes from stat.
StandIn<decltype(Boundary::GetFileAttributesA)> GetFileAttributesA;
StandIn<decltype(Boundary::GetFileAttributesW)> GetFileAttributesW;

// Natively the "ANSI code page" is UTF-8, the encoding of Linux file names and of the
// command line in the locales this program is used with. GetACP answers it.
inline constexpr std::uint32_t NativeAnsiCodePage = CpUtf8;
StandIn<decltype(Boundary::GetACP)> GetACP;
// Conversions between code pages and UTF-16 with the sizes and replacement characters of
// Wine's converters, for flags 0: code pages 932, 20932, 65000, 65001 and 0, which is
// NativeAnsiCodePage. Every other code page (51932 included, as under Wine 8) and every
// flag is refused with 0.
StandIn<decltype(Boundary::MultiByteToWideChar)> MultiByteToWideChar;
StandIn<decltype(Boundary::WideCharToMultiByte)> WideCharToMultiByte;

// Locks: a mutex.
StandIn<decltype(Boundary::InitializeCriticalSection)> InitializeCriticalSection;
StandIn<decltype(Boundary::EnterCriticalSection)> EnterCriticalSection;
StandIn<decltype(Boundary::LeaveCriticalSection)> LeaveCriticalSection;
StandIn<decltype(Boundary::DeleteCriticalSection)> DeleteCriticalSection;

}  // namespace RawLayer::Os::Linux
