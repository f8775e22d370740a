#include "launcher/power_actions.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_boundary.h"

namespace {

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
    // The function whose result decides the action's; empty for rows without one.
    std::string finalFunction;
};

const std::vector<ActionRow> actionRows = {
    {0, {}, ""},
    {1, {"PostMessageA(0xffff, 0x112, 0xf170, 2)"}, "PostMessageA"},
    {2, {"PostMessageA(0xffff, 0x112, 0xf140, 0)"}, "PostMessageA"},
    {3, {lock}, "LockWorkStation"},
    {4, Join({privilegeSteps, {"SetSuspendState(0, 0, 0)"}}), "SetSuspendState"},
    {5, Join({{lock}, privilegeSteps, {"SetSuspendState(0, 0, 0)"}}), "SetSuspendState"},
    {6, Join({privilegeSteps, {"SetSuspendState(1, 0, 0)"}}), "SetSuspendState"},
    {7, Join({{lock}, privilegeSteps, {"SetSuspendState(1, 0, 0)"}}), "SetSuspendState"},
    {8, {"ExitWindowsEx(0x0, 0x0)"}, "ExitWindowsEx"},
    {9, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 0, 0, 0x1)"}}),
     "InitiateSystemShutdownExA"},
    {10, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 1, 0, 0x1)"}}),
     "InitiateSystemShutdownExA"},
    {11, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 0, 1, 0x1)"}}),
     "InitiateSystemShutdownExA"},
    {12, Join({privilegeSteps, {"InitiateSystemShutdownExA(null, null, 0x0, 1, 1, 0x1)"}}),
     "InitiateSystemShutdownExA"},
    {13, {}, ""},
    {-1, {}, ""},
};

const std::vector<std::string> actionFunctions = {
    "PostMessageA",     "LockWorkStation",           "ExitWindowsEx",
    "SetSuspendState",  "InitiateSystemShutdownExA", "GetCurrentProcess",
    "OpenProcessToken", "LookupPrivilegeValueA",     "AdjustTokenPrivileges",
    "CloseHandle",
};

// Every call of the actions succeeds unless a test says otherwise.
void ProgramSuccess(RecordingBoundary& os) {
    for (const std::string& function : actionFunctions) {
        os.Program(function, 1);
    }
    os.Program("GetCurrentProcess", 0x1111);
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
        EXPECT_EQ(result, !row.finalFunction.empty());
    }
}

TEST(power_actions_test, a_failing_final_call_fails_the_action) {
    for (const ActionRow& row : actionRows) {
        if (row.finalFunction.empty()) {
            continue;
        }
        SCOPED_TRACE("id " + std::to_string(row.number));
        RecordingBoundary os;
        ProgramSuccess(os);
        os.Program(row.finalFunction, 0);
        bool result = Velmoran::ExecuteCommand(Id(row.number));
        EXPECT_EQ(os.Calls(), row.calls);
        EXPECT_FALSE(result);
    }
}

TEST(power_actions_test, a_failing_lock_does_not_stop_the_suspend) {
    for (int id : {5, 7}) {
        SCOPED_TRACE("id " + std::to_string(id));
        RecordingBoundary os;
        ProgramSuccess(os);
        os.Program("LockWorkStation", 0);
        EXPECT_TRUE(Velmoran::ExecuteCommand(Id(id)));
        EXPECT_EQ(os.Calls().back(),
                  id == 5 ? "SetSuspendState(0, 0, 0)" : "SetSuspendState(1, 0, 0)");
    }
}

// A test that forgets to program the double must not shut down the machine it runs on: every
// call of an action fails the test instead of reaching the system, and reports failure.
TEST(power_actions_test, an_unprogrammed_action_fails_the_test_and_reaches_no_system) {
    for (const ActionRow& row : actionRows) {
        SCOPED_TRACE("id " + std::to_string(row.number));
        RecordingBoundary os;
        os.Program("GetCurrentProcess", 0x1111);
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
            if (call != "GetCurrentProcess()") {
                made.push_back("unprogrammed call of " + call.substr(0, call.find('(')));
            }
        }
        EXPECT_EQ(refused, made);
        EXPECT_EQ(made.empty(), row.calls.empty());
        EXPECT_FALSE(result);
    }
}

struct PrivilegeFailureRow {
    const char* failing;
    Calls calls;
};

TEST(power_actions_test, a_failing_privilege_step_stops_only_itself) {
    const std::vector<PrivilegeFailureRow> rows = {
        // No token, nothing to close.
        {"OpenProcessToken", {privilegeSteps[0], privilegeSteps[1]}},
        // No identifier: nothing adjusted, but the token is closed.
        {"LookupPrivilegeValueA",
         {privilegeSteps[0], privilegeSteps[1], privilegeSteps[2], privilegeSteps[4]}},
        {"AdjustTokenPrivileges", privilegeSteps},
    };
    for (const PrivilegeFailureRow& row : rows) {
        SCOPED_TRACE(row.failing);
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
    for (const char* function :
         {"OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges", "CloseHandle"}) {
        os.PassToSystem(function);
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
