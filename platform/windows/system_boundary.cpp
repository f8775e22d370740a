// The Windows build's table. Only kernel32's calls that take wide text go through an adapter;
// looked-up functions are taken with the table's types directly.

#include "platform/windows/system_boundary.h"

#include <objbase.h>
#include <wtsapi32.h>

#include <string_view>

namespace RawLayer::Os {

// Our names for the system's values, held to its headers. (HWND_BROADCAST is a cast pointer, and
// STATUS_NOT_IMPLEMENTED clashes with windows.h's own status names: neither compares here.)
static_assert(InvalidFileAttributes == INVALID_FILE_ATTRIBUTES &&
              FileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(WmSysCommand == WM_SYSCOMMAND && ScMonitorPower == SC_MONITORPOWER &&
              ScScreenSave == SC_SCREENSAVE);
static_assert(TokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES && TokenQuery == TOKEN_QUERY &&
              SePrivilegeEnabled == SE_PRIVILEGE_ENABLED &&
              std::string_view(SeShutdownName) == SE_SHUTDOWN_NAME);
static_assert(EwxLogOff == EWX_LOGOFF && ShtdnReasonMajorOther == SHTDN_REASON_MAJOR_OTHER &&
              ShtdnReasonMinorMaintenance == SHTDN_REASON_MINOR_MAINTENANCE);
static_assert(MbIconInformation == MB_ICONINFORMATION && IdOk == IDOK);
static_assert(SeeMaskNoCloseProcess == SEE_MASK_NOCLOSEPROCESS &&
              SeeMaskDoEnvSubst == SEE_MASK_DOENVSUBST && SeeMaskFlagNoUi == SEE_MASK_FLAG_NO_UI);
static_assert(CoinitApartmentThreaded == COINIT_APARTMENTTHREADED &&
              CoinitDisableOle1Dde == COINIT_DISABLE_OLE1DDE && ENotImpl == E_NOTIMPL);
static_assert(SystemPowerCapabilitiesLevel == SystemPowerCapabilities);
// Debian's mingw-w64 headers end the information classes at WTSSessionInfo, which Microsoft's
// list follows with WTSSessionInfoEx; they have no session record or lock flags.
static_assert(WtsCurrentSession == WTS_CURRENT_SESSION && WtsSessionInfoEx == WTSSessionInfo + 1);
static_assert(sizeof SessionInfo{}.Level1.WinStationName == (WINSTATIONNAME_LENGTH + 1) * 2 &&
              sizeof SessionInfo{}.Level1.UserName == (USERNAME_LENGTH + 1) * 2 &&
              sizeof SessionInfo{}.Level1.DomainName == (DOMAIN_LENGTH + 1) * 2);
static_assert(CpAcp == CP_ACP && CpUtf7 == CP_UTF7 && CpUtf8 == CP_UTF8);

namespace Windows {
namespace {

const wchar_t* AsSystemWide(const WideUnit* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

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

}  // namespace Windows

const Boundary& SystemBoundary() {
    // Building it loads nothing: each DLL waits for the first call of one of its functions.
    static const Boundary table = Windows::BoundaryOver<Windows::ProcessLibraries>();
    return table;
}

}  // namespace RawLayer::Os
