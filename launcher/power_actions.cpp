#include "launcher/power_actions.h"

#include "platform/boundary.h"

namespace Velmoran {
namespace {

using RawLayer::Os::Os;

using RawLayer::Os::EwxLogOff;
using RawLayer::Os::HwndBroadcast;
using RawLayer::Os::MonitorOff;
using RawLayer::Os::ScMonitorPower;
using RawLayer::Os::ScScreenSave;
using RawLayer::Os::SePrivilegeEnabled;
using RawLayer::Os::SeShutdownName;
using RawLayer::Os::ShtdnReasonMajorOther;
using RawLayer::Os::ShtdnReasonMinorMaintenance;
using RawLayer::Os::TokenAdjustPrivileges;
using RawLayer::Os::TokenQuery;
using RawLayer::Os::WmSysCommand;

constexpr std::uint32_t OnePrivilegeSize = 16;

// True when the message was posted; where nothing could take it (natively: no desktop service
// answered), the action is refused rather than reported as done.
bool Broadcast(std::uintptr_t command, std::intptr_t argument) {
    return Os().PostMessageA(reinterpret_cast<RawLayer::Os::WindowHandle>(HwndBroadcast),
                             WmSysCommand, command, argument) != 0;
}

bool Suspend(bool hibernate) {
    return Os().SetSuspendState(hibernate ? 1 : 0, 0, 0) != 0;
}

bool Shutdown(bool force, bool reboot) {
    return Os().InitiateSystemShutdownExA(nullptr, nullptr, 0, force ? 1 : 0, reboot ? 1 : 0,
                                          ShtdnReasonMajorOther | ShtdnReasonMinorMaintenance) != 0;
}

void Lock() {
    Os().LockWorkStation();
}

// The access token of the process while it is adjusted, closed however the step ends.
class ProcessToken {
  public:
    ProcessToken() = default;
    ~ProcessToken() {
        if (handle != nullptr) {
            Os().CloseHandle(handle);
        }
    }
    ProcessToken(const ProcessToken&) = delete;
    ProcessToken& operator=(const ProcessToken&) = delete;

    RawLayer::Os::Handle handle = nullptr;
};

}  // namespace

bool EnablePowerPrivilege() {
    ProcessToken token;
    if (Os().OpenProcessToken(Os().GetCurrentProcess(), TokenAdjustPrivileges | TokenQuery,
                              &token.handle) == 0) {
        return false;
    }
    RawLayer::Os::TokenPrivileges privileges{};
    if (Os().LookupPrivilegeValueA(nullptr, SeShutdownName, &privileges.Privileges[0].Luid) == 0) {
        return false;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SePrivilegeEnabled;
    return Os().AdjustTokenPrivileges(token.handle, 0, &privileges, OnePrivilegeSize, nullptr,
                                      nullptr) != 0;
}

bool ExecuteCommand(CommandId id) {
    switch (id) {
        case CommandId::DisplayOff:
            return Broadcast(ScMonitorPower, MonitorOff);
        case CommandId::ScreenSaver:
            return Broadcast(ScScreenSave, 0);
        case CommandId::LockScreen:
            return Os().LockWorkStation() != 0;
        case CommandId::Standby:
            EnablePowerPrivilege();
            return Suspend(false);
        case CommandId::StandbyLock:
            Lock();
            EnablePowerPrivilege();
            return Suspend(false);
        // The system requires the shutdown privilege for hibernating as for standing by.
        case CommandId::Hibernation:
            EnablePowerPrivilege();
            return Suspend(true);
        case CommandId::HibernationLock:
            Lock();
            EnablePowerPrivilege();
            return Suspend(true);
        case CommandId::Logoff:
            return Os().ExitWindowsEx(EwxLogOff, 0) != 0;
        case CommandId::Poweroff:
            EnablePowerPrivilege();
            return Shutdown(false, false);
        case CommandId::PoweroffForce:
            EnablePowerPrivilege();
            return Shutdown(true, false);
        case CommandId::Reboot:
            EnablePowerPrivilege();
            return Shutdown(false, true);
        case CommandId::RebootForce:
            EnablePowerPrivilege();
            return Shutdown(true, true);
        default:
            return false;
    }
}

}  // namespace Velmoran
