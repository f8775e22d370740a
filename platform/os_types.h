#pragma once
// Windows types as the boundary passes them. The Windows build uses the system's own
// definitions; the native build declares look-alikes with the same fields so that the
// code that fills them compiles unchanged.

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// shellapi.h needs windows.h before it.
#include <shellapi.h>
#else
#include <pthread.h>
#endif

// The calling convention of Windows functions, so that the boundary can hold them directly.
#ifdef _WIN32
#define RAWLAYER_SYSTEM_CALL WINAPI
#else
#define RAWLAYER_SYSTEM_CALL
#endif

namespace RawLayer::Os {

// A wide unit is 16 bits in both builds.
using WideUnit = char16_t;

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(WideUnit), "Windows wide characters are 16-bit");

using Bool = BOOL;
using HResult = HRESULT;
using Handle = HANDLE;
// The system's own parameter types where they are not the fixed-width ones.
using Dword = DWORD;
using WindowHandle = HWND;
using ModuleHandle = HMODULE;
using LongParam = LPARAM;
using Luid = LUID;
using TokenPrivileges = TOKEN_PRIVILEGES;
using CriticalSection = CRITICAL_SECTION;
using ShellExecuteInfoA = SHELLEXECUTEINFOA;

// SHELLEXECUTEINFOW with our wide unit type in place of wchar_t; the layout is identical.
struct ShellExecuteInfoW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    const WideUnit* lpVerb;
    const WideUnit* lpFile;
    const WideUnit* lpParameters;
    const WideUnit* lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    const WideUnit* lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
};
static_assert(sizeof(ShellExecuteInfoW) == sizeof(SHELLEXECUTEINFOW), "same layout as the system");
using LastInputInfo = LASTINPUTINFO;
#else
using Bool = std::int32_t;
using HResult = std::int32_t;
using Handle = void*;
using Dword = std::uint32_t;
using WindowHandle = void*;
using ModuleHandle = void*;
using LongParam = std::intptr_t;

struct Luid {
    std::uint32_t LowPart;
    std::int32_t HighPart;
};

struct LuidAndAttributes {
    struct Luid Luid;
    std::uint32_t Attributes;
};

struct TokenPrivileges {
    std::uint32_t PrivilegeCount;
    LuidAndAttributes Privileges[1];
};

struct CriticalSection {
    pthread_mutex_t mutex;
};

template <typename Unit>
struct ShellExecuteInfoR {
    std::uint32_t cbSize;
    std::uint32_t fMask;
    Handle hwnd;
    const Unit* lpVerb;
    const Unit* lpFile;
    const Unit* lpParameters;
    const Unit* lpDirectory;
    std::int32_t nShow;
    Handle hInstApp;
    void* lpIDList;
    const Unit* lpClass;
    Handle hkeyClass;
    std::uint32_t dwHotKey;
    union {
        Handle hIcon;
        Handle hMonitor;
    };
    Handle hProcess;
};
using ShellExecuteInfoA = ShellExecuteInfoR<char>;
using ShellExecuteInfoW = ShellExecuteInfoR<WideUnit>;

struct LastInputInfo {
    std::uint32_t cbSize;
    std::uint32_t dwTime;
};
#endif

// SYSTEM_POWER_CAPABILITIES as Microsoft's SDK lays it out: the one-byte BOOLEANs first, AoAc
// (the PC has only Modern Standby) at 20. Debian's mingw-w64 headers still call that byte
// spare2[2], so the record is declared here, with the same layout in both builds.
struct PowerCapabilities {
    std::uint8_t PowerButtonPresent;
    std::uint8_t SleepButtonPresent;
    std::uint8_t LidPresent;
    std::uint8_t SystemS1;
    std::uint8_t SystemS2;
    std::uint8_t SystemS3;
    std::uint8_t SystemS4;
    std::uint8_t SystemS5;
    std::uint8_t HiberFilePresent;
    std::uint8_t FullWake;
    std::uint8_t VideoDimPresent;
    std::uint8_t ApmPresent;
    std::uint8_t UpsPresent;
    std::uint8_t ThermalControl;
    std::uint8_t ProcessorThrottle;
    std::uint8_t ProcessorMinThrottle;
    std::uint8_t ProcessorMaxThrottle;
    std::uint8_t FastSystemS4;
    std::uint8_t Hiberboot;
    std::uint8_t WakeAlarmPresent;
    std::uint8_t AoAc;
    std::uint8_t DiskSpinDown;
    std::uint8_t HiberFileType;
    std::uint8_t AoAcConnectivitySupported;
    std::uint8_t spare3[6];
    std::uint8_t SystemBatteriesPresent;
    std::uint8_t BatteriesAreShortTerm;
    // Three BATTERY_REPORTING_SCALE records of two DWORDs each.
    std::uint32_t BatteryScale[6];
    // SYSTEM_POWER_STATE values.
    std::int32_t AcOnLineWake;
    std::int32_t SoftLidWake;
    std::int32_t RtcWake;
    std::int32_t MinDeviceWakeState;
    std::int32_t DefaultLowLatencyWake;
};
static_assert(offsetof(PowerCapabilities, SystemS1) == 3 &&
                  offsetof(PowerCapabilities, HiberFilePresent) == 8 &&
                  offsetof(PowerCapabilities, AoAc) == 20 &&
                  offsetof(PowerCapabilities, BatteryScale) == 32 &&
                  offsetof(PowerCapabilities, DefaultLowLatencyWake) == 72 &&
                  sizeof(PowerCapabilities) == 76,
              "the system's 76-byte record");
#ifdef _WIN32
static_assert(sizeof(PowerCapabilities) == sizeof(SYSTEM_POWER_CAPABILITIES) &&
                  offsetof(PowerCapabilities, HiberFilePresent) ==
                      offsetof(SYSTEM_POWER_CAPABILITIES, HiberFilePresent) &&
                  offsetof(PowerCapabilities, AcOnLineWake) ==
                      offsetof(SYSTEM_POWER_CAPABILITIES, AcOnLineWake),
              "the layout of the system's headers");
#endif

// WTSINFOEXW, the session record that WTSQuerySessionInformationW hands out for
// WTSSessionInfoEx, at its only level, 1. Debian's mingw-w64 headers do not declare it, so it is
// declared here, with the same layout in both builds.
struct SessionInfo {
    std::uint32_t Level;
    // WTSINFOEX_LEVEL1_W; the union of levels has no other member.
    struct {
        std::uint32_t SessionId;
        std::int32_t SessionState;
        // WtsSessionStateLock, WtsSessionStateUnlock, or 0xFFFFFFFF where not known.
        std::int32_t SessionFlags;
        WideUnit WinStationName[33];
        WideUnit UserName[21];
        WideUnit DomainName[18];
        std::int64_t LogonTime;
        std::int64_t ConnectTime;
        std::int64_t DisconnectTime;
        std::int64_t LastInputTime;
        std::int64_t CurrentTime;
        std::uint32_t IncomingBytes;
        std::uint32_t OutgoingBytes;
        std::uint32_t IncomingFrames;
        std::uint32_t OutgoingFrames;
        std::uint32_t IncomingCompressedBytes;
        std::uint32_t OutgoingCompressedBytes;
    } Level1;
};
static_assert(offsetof(SessionInfo, Level1.SessionFlags) == 16 &&
                  offsetof(SessionInfo, Level1.LogonTime) == 168 && sizeof(SessionInfo) == 232,
              "the system's 232-byte record");

}  // namespace RawLayer::Os
