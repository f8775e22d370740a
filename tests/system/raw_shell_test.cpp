#include "library/system/raw_shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/system/shell_launch.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/switchable_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::EmptyText;
using RawLayer::NoProcess;
using RawLayer::RawShell;
using RawLayer::RawString;
using RawLayer::Os::Boundary;
using RawLayer::Os::Handle;
using RawLayer::Testing::RecordingBoundary;
using RawLayer::Testing::TextOf;
using RawLayer::Testing::WideOf;

const Handle launched = reinterpret_cast<Handle>(RecordingBoundary::ProcessHandle);
const std::string closeLaunched = "CloseHandle(0x5050)";
const std::vector<std::string> processCalls = {"ShellExecuteExA", "ShellExecuteExW", "GetProcessId",
                                               "CloseHandle"};

std::string NarrowLaunch(const std::string& file, const std::string& parameters,
                         const std::string& directory = "", int show = 1) {
    return "ShellExecuteExA(cbSize=" + std::to_string(sizeof(RawLayer::Os::ShellExecuteInfoA)) +
           ", fMask=0x640, hwnd=null, lpVerb=null, lpFile=\"" + file + "\", lpParameters=\"" +
           parameters + "\", lpDirectory=\"" + directory + "\", nShow=" + std::to_string(show) +
           ")";
}

// Launches succeed with RecordingBoundary::ProcessHandle, whose process id is 4242.
void ProgramLaunches(RecordingBoundary& os) {
    os.Program(&Boundary::ShellExecuteExA, 1);
    os.Program(&Boundary::ShellExecuteExW, 1);
    os.Program(&Boundary::GetProcessId, 4242);
    os.Program(&Boundary::CloseHandle, 1);
}

TEST(raw_shell_test, a_new_object_holds_no_process_and_shares_its_file) {
    RawString file = TextOf("readme.txt");
    RawShell shell(file);
    EXPECT_EQ(shell.process, NoProcess);
    EXPECT_EQ(shell.processId, 0u);
    EXPECT_EQ(&shell.file.Body(), &file.Body());
    EXPECT_EQ(file.Body().extraHolders, 1);
    EXPECT_EQ(shell.parameters.Length(), 0);
    EXPECT_EQ(shell.directory.Length(), 0);
    EXPECT_EQ(shell.showCommand, 1);
}

TEST(raw_shell_test, a_launch_keeps_the_process_handle_and_its_id) {
    RecordingBoundary os;
    ProgramLaunches(os);
    {
        RawShell shell(TextOf("readme.txt"));
        EXPECT_TRUE(shell.Execute(shell.parameters, EmptyText()));
        EXPECT_EQ(shell.process, launched);
        EXPECT_EQ(shell.processId, 4242u);
        EXPECT_EQ(
            os.CallsOf(processCalls),
            (std::vector<std::string>{NarrowLaunch("readme.txt", ""), "GetProcessId(0x5050)"}));
    }
    // Destroying the object closes the handle it still holds.
    EXPECT_EQ(os.CallsOf(processCalls).back(), closeLaunched);
}

TEST(raw_shell_test, first_is_the_parameters_of_a_file_and_the_target_without_one) {
    RecordingBoundary os;
    ProgramLaunches(os);
    {
        RawShell withFile(TextOf("tool.exe"));
        withFile.directory = TextOf("C:\\work");
        withFile.showCommand = 3;
        withFile.Execute(TextOf("-v"), EmptyText());
        RawShell withoutFile(EmptyText());
        withoutFile.Execute(TextOf("notepad.exe"), EmptyText());
    }
    EXPECT_EQ(os.CallsOf({"ShellExecuteExA"}),
              (std::vector<std::string>{NarrowLaunch("tool.exe", "-v", "C:\\\\work", 3),
                                        NarrowLaunch("notepad.exe", "")}));
}

TEST(raw_shell_test, a_second_launch_closes_the_first_handle_before_it_starts) {
    RecordingBoundary os;
    ProgramLaunches(os);
    os.ProgramSequence(&Boundary::GetProcessId, {4242, 4343});
    RawShell shell(WideOf(u"readme.txt"));
    EXPECT_TRUE(shell.Execute(EmptyText(), EmptyText()));
    EXPECT_TRUE(shell.Execute(EmptyText(), EmptyText()));
    EXPECT_EQ(shell.processId, 4343u);
    std::vector<std::string> calls = os.CallsOf(processCalls);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[2], closeLaunched);
    EXPECT_EQ(calls[3].rfind("ShellExecuteExW(", 0), 0u);
    EXPECT_EQ(calls[4], "GetProcessId(0x5050)");
}

TEST(raw_shell_test, a_failed_second_launch_leaves_no_handle_and_keeps_the_first_id) {
    RecordingBoundary os;
    ProgramLaunches(os);
    os.ProgramSequence(&Boundary::ShellExecuteExA, {1, 0});
    {
        RawShell shell(TextOf("readme.txt"));
        EXPECT_TRUE(shell.Execute(EmptyText(), EmptyText()));
        EXPECT_FALSE(shell.Execute(EmptyText(), EmptyText()));
        EXPECT_EQ(shell.process, NoProcess);
        EXPECT_EQ(shell.processId, 4242u);
    }
    // The handle went before the failed launch, and nothing is left to close afterwards.
    EXPECT_EQ(os.CallsOf(processCalls),
              (std::vector<std::string>{NarrowLaunch("readme.txt", ""), "GetProcessId(0x5050)",
                                        closeLaunched, NarrowLaunch("readme.txt", "")}));
}

TEST(raw_shell_test, an_object_without_a_process_closes_nothing) {
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExA, 0);
    {
        RawShell unused(TextOf("readme.txt"));
        RawShell failed(TextOf("missing.txt"));
        EXPECT_FALSE(failed.Execute(EmptyText(), EmptyText()));
        EXPECT_EQ(failed.processId, 0u);
    }
    EXPECT_EQ(os.CallsOf({"CloseHandle", "GetProcessId"}), std::vector<std::string>{});
}

// A shell that succeeds without starting a process, such as one that hands the document to
// a viewer already running; the calls made are counted.
struct NoProcessShell {
    static inline int launches = 0;
    static inline int processQueries = 0;
    static inline int closes = 0;

    static RawLayer::Os::Boundary Table() {
        RawLayer::Os::Boundary table = RawLayer::Os::SystemBoundary();
        table.ShellExecuteExA = [](RawLayer::Os::ShellExecuteInfoA*)
                                    RAWLAYER_SYSTEM_CALL -> RawLayer::Os::Bool {
            ++launches;
            return 1;
        };
        table.GetProcessId = [](Handle) RAWLAYER_SYSTEM_CALL -> RawLayer::Os::Dword {
            ++processQueries;
            return 1;
        };
        table.CloseHandle = [](Handle) RAWLAYER_SYSTEM_CALL -> RawLayer::Os::Bool {
            ++closes;
            return 1;
        };
        return table;
    }
};

TEST(raw_shell_test, a_launch_that_starts_no_process_reports_failure) {
    const RawLayer::Os::Boundary table = NoProcessShell::Table();
    RawLayer::Testing::UseBoundary(&table);
    bool result = true;
    RawLayer::Os::Handle process = launched;
    {
        RawShell shell(TextOf("readme.txt"));
        result = shell.Execute(EmptyText(), EmptyText());
        process = shell.process;
    }
    RawLayer::Testing::UseBoundary(nullptr);
    EXPECT_FALSE(result);
    EXPECT_EQ(process, NoProcess);
    EXPECT_EQ(NoProcessShell::launches, 1);
    EXPECT_EQ(NoProcessShell::processQueries, 0);
    EXPECT_EQ(NoProcessShell::closes, 0);
}

}  // namespace
