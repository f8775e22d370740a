#include "launcher/power_actions.h"

#include "platform/boundary.h"

namespace Velmoran {
namespace {

using RawLayer::Os::Os;

constexpr std::uintptr_t BroadcastWindow = 0xFFFF;
constexpr std::uint32_t SystemCommandMessage = 0x112;
constexpr std::uintptr_t MonitorPower = 0xF170;
constexpr std::intptr_t MonitorOff = 2;
constexpr std::uintptr_t StartScreenSaver = 0xF140;

constexpr std::uint32_t TokenAdjustAndQuery = 0x28;
constexpr std::uint32_t PrivilegeEnabled = 0x2;
constexpr std::uint32_t OnePrivilegeSize = 16;
constexpr const char* ShutdownPrivilegeName = "SeShutdownPrivilege";

constexpr std::uint32_t LogoffFlags = 0;
// Other, maintenance; not marked as planned.
constexpr std::uint32_t ShutdownReason = 1;

void Broadcast(std::uintptr_t command, std::intptr_t argument) {
    Os().PostMessageA(reinterpret_cast<RawLayer::Os::WindowHandle>(BroadcastWindow),
                      SystemCommandMessage, command, argument);
}

bool Suspend(bool hibernate) {
    return Os().SetSuspendState(hibernate ? 1 : 0, 0, 0) != 0;
}

bool Shutdown(bool force, bool reboot) {
    return Os().InitiateSystemShutdownExA(nullptr, nullptr, 0, force ? 1 : 0, reboot ? 1 : 0,
                                          ShutdownReason) != 0;
}

void Lock() {
    Os().LockWorkStation();
}

}  // namespace

bool EnablePowerPrivilege() {
    RawLayer::Os::Handle token = nullptr;
    if (Os().OpenProcessToken(Os().GetCurrentProcess(), TokenAdjustAndQuery, &token) == 0) {
        return false;
    }
    bool adjusted = false;
    RawLayer::Os::TokenPrivileges privileges{};
    if (Os().LookupPrivilegeValueA(nullptr, ShutdownPrivilegeName,
                                   &privileges.Privileges[0].Luid) != 0) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = PrivilegeEnabled;
        adjusted = Os().AdjustTokenPrivileges(token, 0, &privileges, OnePrivilegeSize, nullptr,
                                              nullptr) != 0;
    }
    Os().CloseHandle(token);
    return adjusted;
}

bool ExecuteCommand(std::int32_t id) {
    switch (id) {
        case 1:
            Broadcast(MonitorPower, MonitorOff);
            return true;
        case 2:
            Broadcast(StartScreenSaver, 0);
            return true;
        case 3:
            return Os().LockWorkStation() != 0;
        case 4:
            EnablePowerPrivilege();
            return Suspend(false);
        case 5:
            Lock();
            EnablePowerPrivilege();
            return Suspend(false);
        // The system requires the shutdown privilege for hibernating as for standing by.
        case 6:
            EnablePowerPrivilege();
            return Suspend(true);
        case 7:
            Lock();
            EnablePowerPrivilege();
            return Suspend(true);
        case 8:
            return Os().ExitWindowsEx(LogoffFlags, 0) != 0;
        case 9:
            EnablePowerPrivilege();
            return Shutdown(false, false);
        case 10:
            EnablePowerPrivilege();
            return Shutdown(true, false);
        case 11:
            EnablePowerPrivilege();
            return Shutdown(false, true);
        case 12:
            EnablePowerPrivilege();
            return Shutdown(true, true);
        default:
            return false;
    }
}

}  // namespace Velmoran
