#include "library/text/module_path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/boundary.h"
#include "tests/support/recording_boundary.h"

#ifndef _WIN32
#include <unistd.h>

#include <climits>
#endif

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Testing::RecordingBoundary;
using Calls = std::vector<std::string>;

const Calls moduleCalls = {"GetModuleFileNameA", "GetModuleFileNameW"};

std::string Bytes(const RawString& text) {
    return std::string(text.NarrowText(), static_cast<std::size_t>(text.Length()));
}

std::u16string Units(const RawString& text) {
    return std::u16string(text.WideText(), static_cast<std::size_t>(text.Length()));
}

// A path of exactly the given number of characters.
std::string PathOfLength(std::size_t length) {
    return "C:\\" + std::string(length - 9, 'x') + "\\p.exe";
}

Calls Asked(const char* function, const std::vector<int>& sizes) {
    Calls calls;
    for (int size : sizes) {
        calls.push_back(std::string(function) + "(null, " + std::to_string(size) + ")");
    }
    return calls;
}

// Whether this build's system converter handles UTF-8; the native one may still refuse all.
bool SystemConvertsUtf8() {
    RawLayer::Os::WideUnit unit = 0;
    return RawLayer::Os::SystemBoundary().MultiByteToWideChar(65001, 0, "a", 1, &unit, 1) == 1;
}

struct LongPathRow {
    std::size_t length;
    std::vector<int> sizes;
};

// The system cuts a path that does not fit and reports the whole buffer as used; the path
// must still come back whole, asked for again in a larger buffer.
const LongPathRow longPathRows[] = {
    {259, {261}},
    {260, {261}},
    {261, {261, 521}},
    {300, {261, 521}},
    {600, {261, 521, 1041}},
    {5000, {261, 521, 1041, 2081, 4161, 8321}},
};

TEST(module_path_test, narrow_module_paths_of_any_length_come_back_whole_and_untouched) {
    for (const LongPathRow& row : longPathRows) {
        for (RawEncoding encoding : {RawEncoding::ShiftJis, RawEncoding::AnsiCodePage}) {
            RecordingBoundary os;
            os.ProgramModuleFileNameA(PathOfLength(row.length));
            RawString path = RawLayer::ModulePath(encoding);
            EXPECT_EQ(Bytes(path), PathOfLength(row.length)) << row.length;
            EXPECT_EQ(path.Encoding(), encoding);
            EXPECT_LE(path.Length(), path.Capacity());
            EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameA", row.sizes))
                << row.length;
        }
    }
}

TEST(module_path_test, wide_module_paths_of_any_length_come_back_whole) {
    for (const LongPathRow& row : longPathRows) {
        std::string narrow = PathOfLength(row.length);
        std::u16string expected(narrow.begin(), narrow.end());
        RecordingBoundary os;
        os.ProgramModuleFileNameW(expected);
        RawString path = RawLayer::ModulePath(RawEncoding::Wide);
        EXPECT_EQ(Units(path), expected) << row.length;
        EXPECT_EQ(path.Encoding(), RawEncoding::Wide);
        EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", row.sizes)) << row.length;
    }
}

TEST(module_path_test, a_path_longer_than_any_windows_path_gives_an_empty_text_never_a_cut_one) {
    RecordingBoundary os;
    os.ProgramModuleFileNameA(PathOfLength(70000));
    RawString path = RawLayer::ModulePath(RawEncoding::ShiftJis);
    EXPECT_EQ(path.Length(), 0);
    Calls calls = os.CallsOf(moduleCalls);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "GetModuleFileNameA(null, 261)");
    EXPECT_EQ(calls.back(), "GetModuleFileNameA(null, 66561)");
}

TEST(module_path_test, a_failing_call_gives_empty_texts) {
    {
        RecordingBoundary os;
        os.Program("GetModuleFileNameA", 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::ShiftJis).Length(), 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::AnsiCodePage).Length(), 0);
        EXPECT_EQ(RawLayer::ModuleDirectory().Length(), 0);
        EXPECT_EQ(RawLayer::ModuleBaseName().Length(), 0);
        EXPECT_EQ(RawLayer::ModuleBaseName().Encoding(), RawEncoding::ShiftJis);
    }
    {
        RecordingBoundary os;
        os.Program("GetModuleFileNameW", 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::Wide).Length(), 0);
        for (RawEncoding encoding :
             {RawEncoding::Utf8, RawEncoding::Utf16LittleEndian, RawEncoding::Utf16BigEndian}) {
            RawString path = RawLayer::ModulePath(encoding);
            EXPECT_EQ(path.Length(), 0);
            EXPECT_EQ(path.Encoding(), encoding);
        }
    }
    {
        // Failing on the second, larger ask: still nothing cut.
        RecordingBoundary os;
        os.ProgramSequence("GetModuleFileNameA", {261, 0});
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::ShiftJis).Length(), 0);
        EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameA", {261, 521}));
    }
}

TEST(module_path_test, other_encodings_go_through_the_wide_call) {
    const std::u16string path = u"C:\\\u30BD\u8868\\p.exe";
    RecordingBoundary os;
    os.ProgramModuleFileNameW(path);

    RawString little = RawLayer::ModulePath(RawEncoding::Utf16LittleEndian);
    EXPECT_EQ(Bytes(little), std::string("C\0:\0\\\0\xBD\x30\x68\x88\\\0p\0.\0e\0x\0e\0", 22));
    EXPECT_EQ(little.Encoding(), RawEncoding::Utf16LittleEndian);
    RawString big = RawLayer::ModulePath(RawEncoding::Utf16BigEndian);
    EXPECT_EQ(Bytes(big), std::string("\0C\0:\0\\\x30\xBD\x88\x68\0\\\0p\0.\0e\0x\0e", 22));
    EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", {261, 261}));

    if (!SystemConvertsUtf8()) {
        GTEST_SKIP() << "this build's code-page converter refuses UTF-8";
    }
    os.Clear();
    RawString utf8 = RawLayer::ModulePath(RawEncoding::Utf8);
    EXPECT_EQ(Bytes(utf8), "C:\\\xE3\x82\xBD\xE8\xA1\xA8\\p.exe");
    EXPECT_EQ(utf8.Encoding(), RawEncoding::Utf8);
    EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", {261}));
}

struct PartsRow {
    std::string path;
    std::string directory;
    std::string baseName;
};

TEST(module_path_test, directory_and_base_name_are_cut_from_the_narrow_path) {
    const std::string longDirectory = "C:\\" + std::string(280, 'd');
    const PartsRow rows[] = {
        {"C:\\dir\\a.b.exe", "C:\\dir", "a.b"},
        {"C:\\v1.2\\prog", "C:\\v1.2", "prog"},
        {"C:\\dir\\.exe", "C:\\dir", ""},
        {"C:\\dir\\prog", "C:\\dir", "prog"},
        {"C:\\prog.exe", "C:", "prog"},
        {"prog.exe", "", "prog"},
        {"C:\\dir/sub/DisplayOff.exe", "C:\\dir/sub", "DisplayOff"},
        {"C:\\dir\\prog.", "C:\\dir", "prog"},
        {"C:\\dir.d\\", "C:\\dir.d", ""},
        {"C:\\a.b\\c.d.e", "C:\\a.b", "c.d"},
        // Shift-JIS characters whose second byte is a backslash: 0x83 0x5C and 0x95 0x5C.
        {"C:\\\x83\x5C\\\x95\x5C.exe", "C:\\\x83\x5C", "\x95\x5C"},
        {"C:\\dir\\\x83\x5C", "C:\\dir", "\x83\x5C"},
        {longDirectory + "\\Reboot.exe", longDirectory, "Reboot"},
    };
    for (const PartsRow& row : rows) {
        RecordingBoundary os;
        os.ProgramModuleFileNameA(row.path);
        RawString directory = RawLayer::ModuleDirectory();
        RawString baseName = RawLayer::ModuleBaseName();
        EXPECT_EQ(Bytes(directory), row.directory) << row.path;
        EXPECT_EQ(Bytes(baseName), row.baseName) << row.path;
        EXPECT_EQ(directory.Encoding(), RawEncoding::ShiftJis);
        EXPECT_EQ(baseName.Encoding(), RawEncoding::ShiftJis);
        EXPECT_EQ(os.CallsOf({"GetModuleFileNameW"}), Calls{});
    }
}

#ifndef _WIN32
std::string ProgramFile() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

TEST(module_path_test, the_test_programs_own_path_directory_and_name) {
    const std::string program = ProgramFile();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(Bytes(RawLayer::ModulePath(RawEncoding::ShiftJis)), program);
    EXPECT_EQ(Bytes(RawLayer::ModuleDirectory()), program.substr(0, program.rfind('/')));
    EXPECT_EQ(Bytes(RawLayer::ModuleBaseName()), "module_path_test");

    if (!SystemConvertsUtf8()) {
        GTEST_SKIP() << "this build's code-page converter refuses UTF-8";
    }
    EXPECT_EQ(Units(RawLayer::ModulePath(RawEncoding::Wide)),
              std::u16string(program.begin(), program.end()));
    EXPECT_EQ(Bytes(RawLayer::ModulePath(RawEncoding::Utf8)), program);
}
#endif

}  // namespace
