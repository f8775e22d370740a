#include "launcher/power_actions.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "launcher/quiet_input.h"
#include "tests/support/recording_boundary.h"

namespace {

using RawLayer::Os::Boundary;
using RawLayer::Testing::RecordingBoundary;
using Calls = std::vector<std::string>;

const Calls privilegeSteps = {
    "GetCurrentProcess()",
    "OpenProcessToken(0x1111, 0x28, out)",
    "LookupPrivilegeValueA(null, \"SeShutdownPrivilege\", out)",
    "AdjustTokenPrivileges(0x7070, 0, {count=1, luid=0x13:0x0, attributes=0x2}, 0x10, null, null)",
    "CloseHandle(0x7070)",
};
const std::string lock = "LockWorkStation()";
// The lock state, read once a lock succeeded, from a start tick on.
const std::string sessionQuery = "WTSQuerySessionInformationW(null, 0xffffffff, 25, out, out)";
const std::string sessionFreed =
    "WTSFreeMemory(" + RawLayer::Testing::Hex(RecordingBoundary::SessionRecord()) + ")";
const Calls lockedAtOnce = {lock, "GetVersion()", "GetTickCount()", sessionQuery, sessionFreed};
const Calls quietCheck = {"GetLastInputInfo(out)", "GetTickCount()"};
const std::string capabilities = "CallNtPowerInformation(4, null, 0x0, out, 0x4c)";

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct ActionRow {
    int number;
    Calls calls;
    // The entry whose result decides the action's; none for rows without one.
    RawLayer::Testing::BoundaryEntry finalEntry;
};

const std::vector<ActionRow> actionRows = {
    {0, {}, {}},
    {1, Join({quietCheck, {"PostMessageA(0xffff, 0x112, 0xf170, 2)"}}), &Boundary::PostMessageA},
    {2, Join({quietCheck, {"PostMessageA(0xffff, 0x112, 0xf140, 0)"}}), &Boundary::PostMessageA},
    {3, {lock}, &Boundary::LockWorkStation},
    {4, Join({{capabilities}, privilegeSteps, {"SetSuspendState(0, 0, 0)"}}),
     &Boundary::SetSuspendState},
    {5, Join({lockedAtOnce, {capabilities}, privilegeSteps, {"SetSuspendState(0, 0, 0)"}}),
     &Boundary::SetSuspendState},
    {6, Join({{capabilities}, privilegeSteps, {"SetSuspendState(1, 0, 0)"}}),
     &Boundary::SetSuspendState},
    {7, Join({lockedAtOnce, {capabilities}, privilegeSteps, {"SetSuspendState(1, 0, 0)"}}),
     &Boundary::SetSuspendState},
    {8, {"ExitWindowsEx(0x0, 0x0)"}, &Boundary::ExitWindowsEx},
    {9, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 0, 0, 0x1)"}}),
     &Boundary::InitiateSystemShutdownExA},
    {10, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 1, 0, 0x1)"}}),
     &Boundary::InitiateSystemShutdownExA},
    {11, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 0, 1, 0x1)"}}),
     &Boundary::InitiateSystemShutdownExA},
    {12, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 1, 1, 0x1)"}}),
     &Boundary::InitiateSystemShutdownExA},
    {13, {}, {}},
    {-1, {}, {}},
};

// A desktop PC of old: classic sleep, hibernation with its file.
RawLayer::Os::PowerCapabilities ClassicPc() {
    RawLayer::Os::PowerCapabilities pc{};
    pc.SystemS3 = pc.SystemS4 = pc.HiberFilePresent = 1;
    return pc;
}

// GetVersion's answer on Windows 10 (10.0, build 19045) and on Windows 7 (6.1, build 7601).
constexpr std::int64_t Windows10 = 0x4A65000A;
constexpr std::int64_t Windows7 = 0x1DB10106;

// Every call of the actions succeeds unless a test says otherwise, on a classic PC with
// Windows 10 whose session locks at once and whose last input was a minute ago.
void ProgramSuccess(RecordingBoundary& os) {
    os.ProgramActingToSucceed();
    os.Program(&Boundary::WTSQuerySessionInformationW, 1);
    os.Program(&Boundary::GetVersion, Windows10);
    os.Program(&Boundary::GetCurrentProcess, 0x1111);
    os.Program(&Boundary::GetLastInputInfo, 1);
    os.Program(&Boundary::GetTickCount, RecordingBoundary::LastInputTick + 60'000);
    os.Program(&Boundary::CallNtPowerInformation, 0);
    os.ProgramPowerCapabilities(ClassicPc());
}

// Any number, also those that name no command.
Velmoran::CommandId Id(int number) {
    return static_cast<Velmoran::CommandId>(number);
}

TEST(power_actions_test, every_id_makes_its_calls_in_order_and_succeeds_with_them) {
    for (const ActionRow& row : actionRows) {
        SCOPED_TRACE("id " + std::to_string(row.number));
        RecordingBoundary os;
        ProgramSuccess(os);
        bool result = Velmoran::ExecuteCommand(Id(row.number));
        EXPECT_EQ(os.Calls(), row.calls);
        EXPECT_EQ(result, row.finalEntry.Names());
    }
}

TEST(power_actions_test, a_failing_final_call_fails_the_action) {
    for (const ActionRow& row : actionRows) {
        if (!row.finalEntry.Names()) {
            continue;
        }
        SCOPED_TRACE("id " + std::to_string(row.number));
        RecordingBoundary os;
        ProgramSuccess(os);
        os.Program(row.finalEntry, 0);
        bool result = Velmoran::ExecuteCommand(Id(row.number));
        EXPECT_EQ(os.Calls(), row.calls);
        EXPECT_FALSE(result);
    }
}

// Standby and hibernation by what the PC reports it can do: classic sleep as asked, a PC with
// Modern Standby only turns its displays off (which enters it), and what cannot be done is
// refused without any suspend call. The locking words lock first in every case.
TEST(power_actions_test, sleep_and_hibernation_follow_the_capabilities) {
    struct Row {
        const char* pc;
        std::vector<std::uint8_t RawLayer::Os::PowerCapabilities::*> present;
        bool readable;
        int id;
        Calls afterCapabilities;
        bool result;
    };
    using P = RawLayer::Os::PowerCapabilities;
    const Calls standBy = Join({privilegeSteps, {"SetSuspendState(0, 0, 0)"}});
    const Calls hibernate = Join({privilegeSteps, {"SetSuspendState(1, 0, 0)"}});
    const Calls displaysOff = Join({quietCheck, {"PostMessageA(0xffff, 0x112, 0xf170, 2)"}});
    const std::vector<Row> rows = {
        {"S3", {&P::SystemS3}, true, 4, standBy, true},
        {"S1 only", {&P::SystemS1}, true, 4, standBy, true},
        {"S2 only", {&P::SystemS2}, true, 5, standBy, true},
        {"Modern Standby only",
         {&P::AoAc, &P::SystemS4, &P::HiberFilePresent},
         true,
         4,
         displaysOff,
         true},
        {"Modern Standby only", {&P::AoAc}, true, 5, displaysOff, true},
        {"no sleep state", {&P::SystemS4, &P::HiberFilePresent}, true, 4, {}, false},
        {"no sleep state", {}, true, 5, {}, false},
        {"unreadable", {}, false, 4, standBy, true},
        {"unreadable", {}, false, 7, hibernate, true},
        {"S4 with file", {&P::SystemS4, &P::HiberFilePresent}, true, 6, hibernate, true},
        {"S4 with file", {&P::SystemS4, &P::HiberFilePresent}, true, 7, hibernate, true},
        {"S4 without file", {&P::SystemS3, &P::SystemS4}, true, 6, {}, false},
        {"S4 without file", {&P::SystemS4}, true, 7, {}, false},
        {"no S4", {&P::SystemS3, &P::HiberFilePresent}, true, 6, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pc) + ", id " + std::to_string(row.id));
        RecordingBoundary os;
        ProgramSuccess(os);
        P pc{};
        for (auto field : row.present) {
            pc.*field = 1;
        }
        os.ProgramPowerCapabilities(pc);
        os.Program(&Boundary::CallNtPowerInformation,
                   row.readable ? 0 : RawLayer::Os::StatusNotImplemented);
        bool locks = row.id == 5 || row.id == 7;
        Calls expected =
            Join({locks ? lockedAtOnce : Calls{}, {capabilities}, row.afterCapabilities});
        EXPECT_EQ(Velmoran::ExecuteCommand(Id(row.id)), row.result);
        EXPECT_EQ(os.Calls(), expected);
    }
}

// The wait before a broadcast, against a clock of the test's: the last input at the given
// ticks, sleeps that only move the clock.
struct QuietClock {
    std::uint32_t now;
    std::uint32_t lastInput;            // before now
    std::vector<std::uint32_t> inputs;  // ticks of input, oldest first, each at or after now
    bool known = true;
    std::vector<std::uint32_t> sleeps;

    std::uint32_t Now() const { return now; }
    bool LastInput(std::uint32_t& tick) const {
        tick = lastInput;
        for (std::uint32_t input : inputs) {
            // Ticks compare by difference: the clock may wrap.
            if (static_cast<std::int32_t>(input - now) <= 0) {
                tick = input;
            }
        }
        return known;
    }
    void Sleep(std::uint32_t milliseconds) {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
};

TEST(power_actions_test, the_broadcast_waits_for_quiet_input_within_limits) {
    struct Row {
        const char* what;
        std::uint32_t start;
        std::uint32_t lastInput;  // before the start
        std::vector<std::uint32_t> laterInputs;
        bool known;
        std::vector<std::uint32_t> sleeps;
    };
    std::vector<std::uint32_t> everyTenth;
    for (std::uint32_t tick = 1'000'100; tick < 1'010'000; tick += 100) {
        everyTenth.push_back(tick);
    }
    const std::vector<Row> rows = {
        {"no recent input: no wait", 1'000'000, 990'000, {}, true, {}},
        {"input 500 ms ago: no wait", 1'000'000, 999'500, {}, true, {}},
        {"input 100 ms ago: posts once 500 ms are quiet", 1'000'000, 999'900, {}, true, {400}},
        {"input while waiting: waits again", 1'000'000, 999'900, {1'000'300}, true, {400, 400}},
        {"input every 100 ms: posts at 3 s",
         1'000'000,
         999'900,
         everyTenth,
         true,
         {400, 500, 500, 500, 500, 500, 100}},
        {"the tick wraps while waiting", 0xFFFFFF00u, 0xFFFFFEA0u, {}, true, {404}},
        {"the last input not known: no wait", 1'000'000, 999'900, {}, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QuietClock clock{row.start, row.lastInput, row.laterInputs, row.known, {}};
        Velmoran::WaitForQuietInput(clock);
        EXPECT_EQ(clock.sleeps, row.sleeps);
    }
}

// The suspend after a lock waits until the session says it is locked, looking every 50 ms
// against the programmed ticks, for 2 s at most; it does not wait where the state cannot be
// read (no flags programmed: the query fails), and goes on to the suspend in every case.
TEST(power_actions_test, the_suspend_waits_for_the_lock_within_limits) {
    constexpr std::int32_t locked = RawLayer::Os::WtsSessionStateLock;
    constexpr std::int32_t unlocked = RawLayer::Os::WtsSessionStateUnlock;
    constexpr std::int32_t unknown = -1;
    constexpr std::int64_t wraps = 0xFFFFFF00;
    struct Row {
        const char* what;
        std::int64_t version;
        std::vector<std::int32_t> flags;
        std::vector<std::int64_t> ticks;
        std::vector<std::uint32_t> sleeps;
    };
    const std::vector<Row> rows = {
        {"locked at once", Windows10, {locked}, {1000}, {}},
        {"locked after two looks",
         Windows10,
         {unlocked, unlocked, locked},
         {1000, 1000, 1050},
         {50, 50}},
        {"never locked: gives up at 2 s, across the tick's wrap",
         Windows10,
         {unlocked},
         {wraps, wraps, wraps + 50, wraps + 1990, wraps + 2000},
         {50, 50, 10}},
        {"state unknown: no wait", Windows10, {unknown}, {1000}, {}},
        {"state unreadable: no wait", Windows10, {}, {1000}, {}},
        {"Windows 7: its lock flag means unlocked",
         Windows7,
         {locked, unlocked},
         {1000, 1000},
         {50}},
        {"Windows 7: its unlock flag means locked", Windows7, {unlocked}, {1000}, {}},
        {"Windows 8 (6.2): the flags as documented", 0x23F00206, {locked}, {1000}, {}},
    };
    for (int id : {5, 7}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + ", id " + std::to_string(id));
            RecordingBoundary os;
            ProgramSuccess(os);
            bool readable = !row.flags.empty();
            os.Program(&Boundary::WTSQuerySessionInformationW, readable ? 1 : 0);
            os.Program(&Boundary::GetVersion, row.version);
            os.ProgramSessionFlags(row.flags);
            os.ProgramSequence(&Boundary::GetTickCount, row.ticks);
            EXPECT_TRUE(Velmoran::ExecuteCommand(Id(id)));

            Calls expected = {lock, "GetVersion()", "GetTickCount()"};
            for (std::uint32_t sleep : row.sleeps) {
                expected.insert(expected.end(), {sessionQuery, sessionFreed, "GetTickCount()",
                                                 "Sleep(" + RawLayer::Testing::Hex(sleep) + ")"});
            }
            expected.push_back(sessionQuery);
            if (readable) {
                expected.push_back(sessionFreed);
            }
            // A tick beyond the start's and one per sleep: the look that ended the wait.
            if (row.ticks.size() > row.sleeps.size() + 1) {
                expected.push_back("GetTickCount()");
            }
            EXPECT_EQ(os.Calls(),
                      Join({expected,
                            {capabilities},
                            privilegeSteps,
                            {id == 5 ? "SetSuspendState(0, 0, 0)" : "SetSuspendState(1, 0, 0)"}}));
        }
    }
}

// A lock that failed is not waited for, and the suspend follows all the same.
TEST(power_actions_test, a_failing_lock_does_not_stop_the_suspend) {
    for (int id : {5, 7}) {
        SCOPED_TRACE("id " + std::to_string(id));
        RecordingBoundary os;
        ProgramSuccess(os);
        os.Program(&Boundary::LockWorkStation, 0);
        EXPECT_TRUE(Velmoran::ExecuteCommand(Id(id)));
        EXPECT_EQ(os.Calls(),
                  Join({{lock, capabilities},
                        privilegeSteps,
                        {id == 5 ? "SetSuspendState(0, 0, 0)" : "SetSuspendState(1, 0, 0)"}}));
    }
}

// The calls of the actions that only read, which the double passes to the system.
bool IsReadOnly(const std::string& call) {
    for (const char* name :
         {"GetCurrentProcess(", "GetLastInputInfo(", "GetTickCount(", "CallNtPowerInformation(",
          "GetVersion(", "WTSQuerySessionInformationW(", "WTSFreeMemory("}) {
        if (call.rfind(name, 0) == 0) {
            return true;
        }
    }
    return false;
}

// A test that forgets to program the double must not shut down the machine it runs on: every
// call of an action fails the test instead of reaching the system, and reports failure.
TEST(power_actions_test, an_unprogrammed_action_fails_the_test_and_reaches_no_system) {
    for (const ActionRow& row : actionRows) {
        SCOPED_TRACE("id " + std::to_string(row.number));
        RecordingBoundary os;
        os.Program(&Boundary::GetCurrentProcess, 0x1111);
        testing::TestPartResultArray failures;
        bool result = false;
        {
            testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
                &failures);
            result = Velmoran::ExecuteCommand(Id(row.number));
        }
        Calls refused;
        for (int i = 0; i < failures.size(); ++i) {
            std::string message = failures.GetTestPartResult(i).message();
            std::size_t start = message.find("unprogrammed");
            refused.push_back(message.substr(start, message.find(':', start) - start));
        }
        Calls made;
        for (const std::string& call : os.Calls()) {
            if (!IsReadOnly(call)) {
                made.push_back("unprogrammed call of " + call.substr(0, call.find('(')));
            }
        }
        EXPECT_EQ(refused, made);
        EXPECT_EQ(made.empty(), row.calls.empty());
        EXPECT_FALSE(result);
    }
}

struct PrivilegeFailureRow {
    RawLayer::Testing::BoundaryEntry failing;
    Calls calls;
};

TEST(power_actions_test, a_failing_privilege_step_stops_only_itself) {
    const std::vector<PrivilegeFailureRow> rows = {
        // No token, nothing to close.
        {&Boundary::OpenProcessToken, {privilegeSteps[0], privilegeSteps[1]}},
        // No identifier: nothing adjusted, but the token is closed.
        {&Boundary::LookupPrivilegeValueA,
         {privilegeSteps[0], privilegeSteps[1], privilegeSteps[2], privilegeSteps[4]}},
        {&Boundary::AdjustTokenPrivileges, privilegeSteps},
    };
    for (const PrivilegeFailureRow& row : rows) {
        SCOPED_TRACE(row.failing.Name());
        RecordingBoundary os;
        ProgramSuccess(os);
        os.Program(row.failing, 0);
        EXPECT_FALSE(Velmoran::EnablePowerPrivilege());
        EXPECT_EQ(os.Calls(), row.calls);

        os.Clear();
        EXPECT_TRUE(Velmoran::ExecuteCommand(Velmoran::CommandId::Reboot));
        Calls expected = row.calls;
        expected.push_back("InitiateSystemShutdownExA(null, null, 0x0, 0, 1, 0x1)");
        EXPECT_EQ(os.Calls(), expected);
    }
}

TEST(power_actions_test, the_privilege_step_succeeds_when_the_adjustment_does) {
    RecordingBoundary os;
    ProgramSuccess(os);
    EXPECT_TRUE(Velmoran::EnablePowerPrivilege());
    EXPECT_EQ(os.Calls(), privilegeSteps);
}

// Against the real system: under Windows (and Wine) the token can be opened and adjusted;
// natively there is no token service and the step fails without any further call.
TEST(power_actions_test, the_privilege_step_runs_against_the_system) {
    RecordingBoundary os;
    for (RawLayer::Testing::BoundaryEntry entry :
         {RawLayer::Testing::BoundaryEntry(&Boundary::OpenProcessToken),
          {&Boundary::LookupPrivilegeValueA},
          {&Boundary::AdjustTokenPrivileges},
          {&Boundary::CloseHandle}}) {
        os.PassToSystem(entry);
    }
    bool enabled = Velmoran::EnablePowerPrivilege();
    Calls names;
    for (const std::string& call : os.Calls()) {
        names.push_back(call.substr(0, call.find('(')));
    }
#ifdef _WIN32
    EXPECT_TRUE(enabled);
    EXPECT_EQ(names, (Calls{"GetCurrentProcess", "OpenProcessToken", "LookupPrivilegeValueA",
                            "AdjustTokenPrivileges", "CloseHandle"}));
#else
    EXPECT_FALSE(enabled);
    EXPECT_EQ(names, (Calls{"GetCurrentProcess", "OpenProcessToken"}));
#endif
}

}  // namespace
