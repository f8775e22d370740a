#pragma once
// The Windows values that the program and the stand-ins pass to the boundary or compare its
// results with, each named once, after the system's own name for it (FILE_ATTRIBUTE_DIRECTORY
// is FileAttributeDirectory). The native build's stand-ins read them as Windows would.

#include <cstdint>

namespace RawLayer::Os {

// File attributes.
inline constexpr std::uint32_t InvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t FileAttributeDirectory = 0x10u;
inline constexpr std::uint32_t FileAttributeNormal = 0x80u;

// The system commands broadcast to every top-level window, which the displays and the screen
// saver answer to. The monitor-power command's argument 2 turns the displays off; the system
// has no name for it.
inline constexpr std::uintptr_t HwndBroadcast = 0xFFFF;
inline constexpr std::uint32_t WmSysCommand = 0x112;
inline constexpr std::uintptr_t ScMonitorPower = 0xF170;
inline constexpr std::intptr_t MonitorOff = 2;
inline constexpr std::uintptr_t ScScreenSave = 0xF140;

// The shutdown privilege, enabled in the process token before a power action.
inline constexpr std::uint32_t TokenAdjustPrivileges = 0x20u;
inline constexpr std::uint32_t TokenQuery = 0x8u;
inline constexpr std::uint32_t SePrivilegeEnabled = 0x2u;
inline constexpr const char* SeShutdownName = "SeShutdownPrivilege";

// A plain log-off, and the reason given for a shutdown: other, maintenance, not planned.
inline constexpr std::uint32_t EwxLogOff = 0;
inline constexpr std::uint32_t ShtdnReasonMajorOther = 0;
inline constexpr std::uint32_t ShtdnReasonMinorMaintenance = 0x1u;

// Message boxes: the information icon, and the OK button's result.
inline constexpr std::uint32_t MbIconInformation = 0x40u;
inline constexpr std::int32_t IdOk = 1;

// Shell execution flags: the process handle comes back, %VARIABLES% in the texts are expanded,
// and the shell shows no error box of its own.
inline constexpr std::uint32_t SeeMaskNoCloseProcess = 0x40u;
inline constexpr std::uint32_t SeeMaskDoEnvSubst = 0x200u;
inline constexpr std::uint32_t SeeMaskFlagNoUi = 0x400u;

// COM for this thread: apartment-threaded, without the OLE1 DDE window; E_NOTIMPL where there
// is none.
inline constexpr std::uint32_t CoinitApartmentThreaded = 0x2u;
inline constexpr std::uint32_t CoinitDisableOle1Dde = 0x4u;
inline constexpr std::int32_t ENotImpl = static_cast<std::int32_t>(0x80004001u);

// Power information: the level of the capability record, and an NTSTATUS for a call that is not
// there (any status but 0, STATUS_SUCCESS, is a failure).
inline constexpr std::int32_t SystemPowerCapabilitiesLevel = 4;
inline constexpr std::int32_t StatusNotImplemented = static_cast<std::int32_t>(0xC0000002u);

// The session's own lock state: the current session, its extended record, and the record's
// lock flags (which Windows 7 and Server 2008 R2 report the wrong way round).
inline constexpr std::uint32_t WtsCurrentSession = 0xFFFFFFFFu;
inline constexpr std::int32_t WtsSessionInfoEx = 25;
inline constexpr std::int32_t WtsSessionStateLock = 0;
inline constexpr std::int32_t WtsSessionStateUnlock = 1;

// Code pages: the ANSI one of the process, and those the library converts through.
inline constexpr std::uint32_t CpAcp = 0;
inline constexpr std::uint32_t CpShiftJis = 932;
inline constexpr std::uint32_t CpEucJp = 20932;
inline constexpr std::uint32_t CpUtf7 = 65000;
inline constexpr std::uint32_t CpUtf8 = 65001;

}  // namespace RawLayer::Os
