#include "launcher/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/command_resolution.h"
#include "launcher/command_table.h"
#include "launcher/help.h"
#include "tests/support/recording_boundary.h"

namespace {

using RawLayer::Os::Boundary;
using RawLayer::Testing::RecordingBoundary;
using Calls = std::vector<std::string>;

constexpr std::int64_t Western = 1252;
constexpr std::int64_t Japanese = 932;

// A machine where every action the program could take succeeds.
void ProgramMachine(RecordingBoundary& os, std::int64_t codePage, const std::string& commandLine,
                    const std::u16string& programPath) {
    os.Program(&Boundary::GetACP, codePage);
    os.ProgramCommandLine(commandLine);
    os.ProgramModuleFileNameW(programPath);
    os.ProgramModuleFileNameA(std::string(programPath.begin(), programPath.end()));
    os.ProgramActingToSucceed();
    os.Program(&Boundary::CoInitializeEx, 0);
    os.Program(&Boundary::CoUninitialize, 0);
    os.Program(&Boundary::GetFileAttributesA, RawLayer::Os::InvalidFileAttributes);
}

struct ResolutionRow {
    const char* commandLine;
    const char16_t* programPath;
    std::int32_t id;
};

const char16_t* const usual = u"C:\\Tools\\Velmoran.exe";

TEST(program_test, the_command_word_comes_from_the_first_argument_or_the_file_name) {
    const std::vector<ResolutionRow> rows = {
        {"Velmoran.exe DisplayOff", usual, 1},
        {"Velmoran.exe ScreenSaver", usual, 2},
        {"Velmoran.exe LockScreen", usual, 3},
        {"Velmoran.exe Standby", usual, 4},
        {"Velmoran.exe StandbyLock", usual, 5},
        {"Velmoran.exe Hibernation", usual, 6},
        {"Velmoran.exe HibernationLock", usual, 7},
        {"Velmoran.exe Logoff", usual, 8},
        {"Velmoran.exe Poweroff", usual, 9},
        {"Velmoran.exe PoweroffForce", usual, 10},
        {"Velmoran.exe Reboot", usual, 11},
        {"Velmoran.exe RebootForce", usual, 12},
        {"Velmoran.exe reboot", usual, 0},
        {"Velmoran.exe", usual, 0},
        {"C:\\Tools\\Reboot.exe", u"C:\\Tools\\Reboot.exe", 11},
        {"reboot.exe", u"C:\\Tools\\reboot.exe", 0},
        {"DisplayOff.exe Reboot", u"C:\\Tools\\DisplayOff.exe", 11},
        {"Velmoran.exe Standby Reboot", usual, 4},
        {"Reboot.exe -h", u"C:\\Tools\\Reboot.exe", 0},
        {"Velmoran.exe -h Reboot", usual, 11},
        {"Velmoran.exe -x Reboot", usual, 0},
        {"Velmoran.exe -NoTag_1 Reboot", usual, 11},
        {"Reboot.exe    ", u"C:\\Tools\\Reboot.exe", 11},
        {"Velmoran.exe \"Reboot\"", usual, 11},
        {"C:\\Program Files\\Reboot.exe", u"C:\\Program Files\\Reboot.exe", 0},
        {"DisplayOff.old.exe", u"C:\\Tools\\DisplayOff.old.exe", 0},
        {"Velmoran.exe \"\"", usual, 0},
        {"Velmoran.exe LockScreen.", usual, 0},
    };
    for (const ResolutionRow& row : rows) {
        SCOPED_TRACE(row.commandLine);
        RecordingBoundary os;
        ProgramMachine(os, Western, row.commandLine, row.programPath);
        EXPECT_EQ(static_cast<std::int32_t>(Velmoran::ResolveCommand()), row.id);
    }
}

// On a Western system é is 0xE9, which Shift-JIS takes for the first byte of a two-byte
// character; read as Shift-JIS it would swallow the blank behind it.
TEST(program_test, the_command_line_is_read_in_the_systems_code_page) {
    struct Row {
        std::int64_t codePage;
        std::int32_t id;
    };
    for (Row row : {Row{Western, 11}, Row{Japanese, 0}}) {
        SCOPED_TRACE(row.codePage);
        RecordingBoundary os;
        ProgramMachine(os, row.codePage, "Velmoran.exe -\xE9 -h Reboot", usual);
        EXPECT_EQ(static_cast<std::int32_t>(Velmoran::ResolveCommand()), row.id);
    }
}

TEST(program_test, a_renamed_copy_in_a_folder_with_accents_runs_its_command) {
    for (std::int64_t codePage : {Western, Japanese}) {
        SCOPED_TRACE(codePage);
        RecordingBoundary os;
        ProgramMachine(os, codePage, "\"C:\\Caf\xE9\\Reboot.exe\"", u"C:\\Caf\u00E9\\Reboot.exe");
        EXPECT_EQ(Velmoran::ResolveCommand(), Velmoran::CommandId::Reboot);
    }
}

const char usageText[] =
    "(1) Execute this program with these argument.\r\n"
    "\r\n"
    "   Velmoran.exe   DisplayOff\r\n"
    "   Velmoran.exe   ScreenSaver\r\n"
    "   Velmoran.exe   LockScreen\r\n"
    "   Velmoran.exe   Standby\r\n"
    "   Velmoran.exe   StandbyLock\r\n"
    "   Velmoran.exe   Hibernation\r\n"
    "   Velmoran.exe   HibernationLock\r\n"
    "   Velmoran.exe   Logoff\r\n"
    "   Velmoran.exe   Poweroff\r\n"
    "   Velmoran.exe   PoweroffForce\r\n"
    "   Velmoran.exe   Reboot\r\n"
    "   Velmoran.exe   RebootForce\r\n"
    "\r\n"
    "(2) Rename this program to the following names. And execute.\r\n"
    "\r\n"
    "   DisplayOff\r\n"
    "   ScreenSaver\r\n"
    "   LockScreen\r\n"
    "   Standby\r\n"
    "   StandbyLock\r\n"
    "   Hibernation\r\n"
    "   HibernationLock\r\n"
    "   Logoff\r\n"
    "   Poweroff\r\n"
    "   PoweroffForce\r\n"
    "   Reboot\r\n"
    "   RebootForce\r\n";

TEST(program_test, the_usage_box_lists_every_word_in_both_forms) {
    ASSERT_EQ(sizeof usageText - 1, 653u);
    RecordingBoundary os;
    os.Program(&Boundary::MessageBoxA, 1);
    Velmoran::ShowUsage();
    EXPECT_EQ(os.CallsOf({"MessageBoxA", "MessageBoxW"}),
              (Calls{"MessageBoxA(null, " + RawLayer::Testing::Quoted(usageText) +
                     ", \"Velmoran\", 0x40)"}));
}

std::string LaunchOf(const std::string& file) {
    return "ShellExecuteExA(cbSize=" + std::to_string(sizeof(RawLayer::Os::ShellExecuteInfoA)) +
           ", fMask=0x440, hwnd=null, lpVerb=null, lpFile=\"" + file +
           "\", lpParameters=\"\", lpDirectory=\"\", nShow=1)";
}

struct HelpRow {
    const char* name;
    std::int64_t attributes;
    // What CoInitializeEx reports: S_OK, S_FALSE for a thread already in an apartment, or a
    // refusal such as RPC_E_CHANGED_MODE.
    std::int64_t apartment;
    Calls calls;
};

TEST(program_test, help_opens_the_read_me_beside_the_program_or_shows_the_box) {
    const std::string readMe = "C:\\\\Tools\\\\ReadMe_Velmoran.txt";
    const std::string query = "GetFileAttributesA(\"" + readMe + "\")";
    const std::string box = "MessageBoxA(null, <usage>, \"Velmoran\", 0x40)";
    const std::string join = "CoInitializeEx(null, 0x6)";
    const Calls launch = {LaunchOf(readMe), "GetProcessId(0x5050)"};
    const std::string leave = "CoUninitialize()";
    const std::string close = "CloseHandle(0x5050)";
    const std::vector<HelpRow> rows = {
        {"present", 0x20, 0, {query, join, launch[0], launch[1], leave, close}},
        {"present, apartment joined again",
         0x20,
         1,
         {query, join, launch[0], launch[1], leave, close}},
        {"present, apartment refused",
         0x20,
         -2147417850,
         {query, join, launch[0], launch[1], close}},
        {"missing", RawLayer::Os::InvalidFileAttributes, 0, {query, box}},
        {"a directory", 0x10, 0, {query, box}},
    };
    for (const HelpRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        ProgramMachine(os, Western, "Velmoran.exe Help", usual);
        os.Program(&Boundary::GetFileAttributesA, row.attributes);
        os.Program(&Boundary::GetProcessId, 77);
        os.Program(&Boundary::CoInitializeEx, row.apartment);
        EXPECT_EQ(Velmoran::RunProgram(), 1);
        Calls calls = os.CallsOf({"GetFileAttributesA", "GetFileAttributesW", "CoInitializeEx",
                                  "ShellExecuteExA", "ShellExecuteExW", "GetProcessId",
                                  "CoUninitialize", "CloseHandle", "MessageBoxA", "MessageBoxW"});
        for (std::string& call : calls) {
            if (call.rfind("MessageBoxA", 0) == 0) {
                call = box;
            }
        }
        EXPECT_EQ(calls, row.calls);
    }
}

// A read-me the shell cannot open is not replaced by the box.
TEST(program_test, a_read_me_that_cannot_be_opened_shows_nothing_else) {
    RecordingBoundary os;
    ProgramMachine(os, Western, "Velmoran.exe", usual);
    os.Program(&Boundary::GetFileAttributesA, 0x20);
    os.Program(&Boundary::ShellExecuteExA, 0);
    EXPECT_EQ(Velmoran::RunProgram(), 1);
    EXPECT_EQ(os.CallsOf({"MessageBoxA", "MessageBoxW", "CloseHandle"}), Calls{});
}

struct ExitRow {
    const char* word;
    RawLayer::Testing::BoundaryEntry failing;
    int exitCode;
};

TEST(program_test, the_exit_code_tells_done_help_and_refused_apart) {
    const std::vector<ExitRow> rows = {
        {"DisplayOff", {}, 0},
        {"DisplayOff", &Boundary::PostMessageA, 2},
        {"LockScreen", {}, 0},
        {"LockScreen", &Boundary::LockWorkStation, 2},
        {"Standby", &Boundary::SetSuspendState, 2},
        {"Logoff", &Boundary::ExitWindowsEx, 2},
        {"Reboot", &Boundary::InitiateSystemShutdownExA, 2},
        {"Reboot", &Boundary::AdjustTokenPrivileges, 0},
        {"Nothing", {}, 1},
    };
    for (const ExitRow& row : rows) {
        SCOPED_TRACE(std::string(row.word) + " " +
                     (row.failing.Names() ? row.failing.Name() : "-"));
        RecordingBoundary os;
        ProgramMachine(os, Western, std::string("Velmoran.exe ") + row.word, usual);
        if (row.failing.Names()) {
            os.Program(row.failing, 0);
        }
        EXPECT_EQ(Velmoran::RunProgram(), row.exitCode);
    }
}

TEST(program_test, the_command_table_ends_with_an_empty_row_of_id_zero) {
    const Velmoran::CommandEntry* table = Velmoran::GetCommandTable();
    int rows = 0;
    for (; table[rows].name.Length() != 0; ++rows) {
        EXPECT_EQ(static_cast<std::int32_t>(table[rows].id), rows + 1);
    }
    EXPECT_EQ(rows, 12);
    EXPECT_EQ(table[rows].id, Velmoran::CommandId::None);
    EXPECT_EQ(table, Velmoran::GetCommandTable());
}

}  // namespace
