#include "launcher/power_actions.h"

#include "launcher/quiet_input.h"
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
using RawLayer::Os::SystemPowerCapabilitiesLevel;
using RawLayer::Os::TokenAdjustPrivileges;
using RawLayer::Os::TokenQuery;
using RawLayer::Os::WmSysCommand;

// The system's clock and input history, for the wait before a broadcast.
struct SystemClock {
    std::uint32_t Now() const { return Os().GetTickCount(); }
    bool LastInput(std::uint32_t& tick) const {
        RawLayer::Os::LastInputInfo info{};
        info.cbSize = sizeof info;
        if (Os().GetLastInputInfo(&info) == 0) {
            return false;
        }
        tick = info.dwTime;
        return true;
    }
    void Sleep(std::uint32_t milliseconds) const { Os().Sleep(milliseconds); }
};

// True when the message was posted; where nothing could take it (natively: no desktop service
// answered), the action is refused rather than reported as done. It waits for the input that
// asked for it to end first, which would otherwise undo it.
bool Broadcast(std::uintptr_t command, std::intptr_t argument) {
    SystemClock clock;
    WaitForQuietInput(clock);
    return Os().PostMessageA(reinterpret_cast<RawLayer::Os::WindowHandle>(HwndBroadcast),
                             WmSysCommand, command, argument) != 0;
}

bool DisplaysOff() {
    return Broadcast(ScMonitorPower, MonitorOff);
}

// What the PC can do, from the system's capability record; unreadable where the call is
// missing or fails, and the actions then go ahead as the user asked.
struct SleepStates {
    bool readable = false;
    bool classicSleep = false;
    bool modernStandby = false;
    bool hibernation = false;
};

SleepStates ReadSleepStates() {
    // Zeroed first: a system that predates a field (Wine, for AoAc) leaves it untouched.
    RawLayer::Os::PowerCapabilities capabilities{};
    if (Os().CallNtPowerInformation(SystemPowerCapabilitiesLevel, nullptr, 0, &capabilities,
                                    sizeof capabilities) != 0) {
        return {};
    }
    SleepStates states;
    states.readable = true;
    states.classicSleep =
        capabilities.SystemS1 != 0 || capabilities.SystemS2 != 0 || capabilities.SystemS3 != 0;
    states.modernStandby = capabilities.AoAc != 0;
    // A PC without a hibernation file (powercfg /h off) hangs or does nothing when asked to
    // hibernate.
    states.hibernation = capabilities.SystemS4 != 0 && capabilities.HiberFilePresent != 0;
    return states;
}

// The system requires the shutdown privilege for standing by and hibernating as for shutting
// down. A privilege that cannot be enabled leaves the system to refuse the call itself.
bool Suspend(bool hibernate) {
    EnablePowerPrivilege();
    return Os().SetSuspendState(hibernate ? 1 : 0, 0, 0) != 0;
}

bool Shutdown(bool force, bool reboot) {
    EnablePowerPrivilege();
    return Os().InitiateSystemShutdownExA(nullptr, nullptr, 0, force ? 1 : 0, reboot ? 1 : 0,
                                          ShtdnReasonMajorOther | ShtdnReasonMinorMaintenance) != 0;
}

bool Lock() {
    return Os().LockWorkStation() != 0;
}

// The session's lock state as the system reports it; unreadable where the query fails (natively,
// and before Windows 7) or the state is unknown.
enum class LockState : unsigned char { Unreadable, Unlocked, Locked };

LockState ReadLockState(bool reversed) {
    RawLayer::Os::WideUnit* buffer = nullptr;
    RawLayer::Os::Dword size = 0;
    // A null server is the one the program runs on.
    if (Os().WTSQuerySessionInformationW(nullptr, RawLayer::Os::WtsCurrentSession,
                                         RawLayer::Os::WtsSessionInfoEx, &buffer, &size) == 0) {
        return LockState::Unreadable;
    }
    LockState state = LockState::Unreadable;
    const auto* info = reinterpret_cast<const RawLayer::Os::SessionInfo*>(buffer);
    if (size >= sizeof *info && info->Level == 1) {
        std::int32_t flags = info->Level1.SessionFlags;
        if (flags == RawLayer::Os::WtsSessionStateLock) {
            state = reversed ? LockState::Unlocked : LockState::Locked;
        } else if (flags == RawLayer::Os::WtsSessionStateUnlock) {
            state = reversed ? LockState::Locked : LockState::Unlocked;
        }
    }
    Os().WTSFreeMemory(buffer);
    return state;
}

// How long a suspend waits for the lock, and how often it looks, in milliseconds.
constexpr std::uint32_t LongestLockWait = 2000;
constexpr std::uint32_t LockPoll = 50;

// Locking only starts the switch to the secure desktop: a suspend asked for at once can put the
// PC to sleep before the lock screen is up, and it wakes showing the desktop. So the suspend waits
// until the session says it is locked, for no longer than LongestLockWait; where the state
// cannot be read it does not wait at all. A lock that failed is not waited for, and does not
// stop the suspend: sleeping is still what the user asked for.
void LockBeforeSuspend() {
    if (!Lock()) {
        return;
    }
    // Windows 7 and Server 2008 R2 (6.1) report the lock flags the wrong way round.
    const std::uint32_t version = Os().GetVersion();
    const bool reversed = (version & 0xFFFFu) == 0x0106u;
    SystemClock clock;
    const std::uint32_t start = clock.Now();
    while (ReadLockState(reversed) == LockState::Unlocked) {
        const std::uint32_t waited = clock.Now() - start;
        if (waited >= LongestLockWait) {
            return;
        }
        clock.Sleep(std::min(LockPoll, LongestLockWait - waited));
    }
}

// Standing by where the PC can. A PC with Modern Standby only (most laptops since about 2019)
// would hibernate, or do nothing, when asked for classic sleep; turning its displays off
// enters Modern Standby. A PC with neither cannot stand by at all.
bool StandBy() {
    SleepStates states = ReadSleepStates();
    if (!states.readable || states.classicSleep) {
        return Suspend(false);
    }
    return states.modernStandby && DisplaysOff();
}

bool Hibernate() {
    SleepStates states = ReadSleepStates();
    if (states.readable && !states.hibernation) {
        return false;
    }
    return Suspend(true);
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
    return Os().AdjustTokenPrivileges(token.handle, 0, &privileges, sizeof privileges, nullptr,
                                      nullptr) != 0;
}

bool ExecuteCommand(CommandId id) {
    switch (id) {
        case CommandId::DisplayOff:
            return DisplaysOff();
        case CommandId::ScreenSaver:
            return Broadcast(ScScreenSave, 0);
        case CommandId::LockScreen:
            return Lock();
        case CommandId::Standby:
            return StandBy();
        // The lock comes first whatever follows: it is what protects a PC left alone.
        case CommandId::StandbyLock:
            LockBeforeSuspend();
            return StandBy();
        case CommandId::Hibernation:
            return Hibernate();
        case CommandId::HibernationLock:
            LockBeforeSuspend();
            return Hibernate();
        case CommandId::Logoff:
            return Os().ExitWindowsEx(EwxLogOff, 0) != 0;
        case CommandId::Poweroff:
            return Shutdown(false, false);
        case CommandId::PoweroffForce:
            return Shutdown(true, false);
        case CommandId::Reboot:
            return Shutdown(false, true);
        case CommandId::RebootForce:
            return Shutdown(true, true);
        default:
            return false;
    }
}

}  // namespace Velmoran
