#pragma once
// The native build's stand-ins for the Windows functions of the boundary, one declared for each
// row of boundary_entries.inc, each defined in the file of its area. Where Linux offers no such
// service, the stand-in reports failure and does nothing. The power and workstation actions go
// to the login manager and the desktop's services over D-Bus; one that is refused or finds no
// service says why on standard error. Each is declared with the type of its boundary entry: a
// definition whose signature drifts from the entry's defines another function, and the link
// fails for want of the declared one, as it does for a row whose stand-in has no body.
//
// By area:
// - PostMessageA: displays off and the screen saver, for the broadcast of those system commands
//   only. LockWorkStation: through the login manager or the desktop's screen saver.
//   WTSQuerySessionInformationW, WTSFreeMemory: the session's lock state, not read yet, so
//   the query fails. ExitWindowsEx: a plain log-off through the desktop's session manager.
//   GetLastInputInfo: the last keyboard or mouse input, where the desktop tells the idle time.
// - The process token (OpenProcessToken, LookupPrivilegeValueA, AdjustTokenPrivileges): polkit
//   decides instead, when the action is asked for, so these fail.
// - InitiateSystemShutdownExA, SetSuspendState: shutdown, reboot and suspend through the login
//   manager; CallNtPowerInformation: the capability record, for the sleep states only, from
//   what the login manager can do.
// - Message boxes: a dialog on a desktop, else caption and text on standard error. Shell
//   launch: the desktop's opener for the file. COM: Linux has none, so initialisation is
//   refused and there is nothing to undo.
// - Process: the raw command line, process handles as process ids, GetVersion 0.0 (no
//   Windows); GetTickCount in milliseconds from a monotonic clock, wrapping at 32 bits as the
//   system's tick count does.
// - Module path: the real file's folder from /proc/self/exe, with the name it was started
//   under. File attributes from stat. Locks: a mutex.
// - Conversions between code pages and UTF-16 with the sizes and replacement characters of
//   Wine's converters, for flags 0: code pages 932, 20932, 65000, 65001 and 0, which is
//   NativeAnsiCodePage. Every other code page (51932 included, as under Wine 8) and every flag
//   is refused with 0.

#include <cstdint>
#include <type_traits>

#include "platform/boundary.h"

namespace RawLayer::Os::Linux {

// Natively the "ANSI code page" is UTF-8, the encoding of Linux file names and of the
// command line in the locales this program is used with. GetACP answers it.
inline constexpr std::uint32_t NativeAnsiCodePage = CpUtf8;

// The function type of a boundary entry.
template <typename Entry>
using StandIn = std::remove_pointer_t<Entry>;

#define LOOKED_UP(name, ...) StandIn<decltype(Boundary::name)> name;
#define IMPORTED LOOKED_UP
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP

}  // namespace RawLayer::Os::Linux
