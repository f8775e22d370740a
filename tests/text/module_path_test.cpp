#include "library/text/module_path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/boundary.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

#ifndef _WIN32
#include <unistd.h>

#include <climits>
#endif

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Os::Boundary;
using RawLayer::Testing::RawBytesOf;
using RawLayer::Testing::RawUnitsOf;
using RawLayer::Testing::RecordingBoundary;
using Calls = std::vector<std::string>;

const Calls moduleCalls = {"GetModuleFileNameA", "GetModuleFileNameW"};

// A path of exactly the given number of characters.
std::string PathOfLength(std::size_t length) {
    return "C:\\" + std::string(length - 9, 'x') + "\\p.exe";
}

Calls Asked(const char* function, const std::vector<int>& sizes) {
    Calls calls;
    for (int size : sizes) {
        calls.push_back(std::string(function) + "(null, out, " + RawLayer::Testing::Hex(size) +
                        ")");
    }
    return calls;
}

struct LongPathRow {
    std::size_t length;
    std::vector<int> narrowSizes;
    std::vector<int> wideSizes;
};

// The system cuts a path that does not fit and reports the whole buffer as used; the path
// must still come back whole, asked for again in a larger buffer. A narrow count within the
// last four bytes of the buffer may hide a cut character, so it is asked for again too.
const LongPathRow longPathRows[] = {
    {257, {261}, {261}},
    {258, {261, 521}, {261}},
    {259, {261, 521}, {261}},
    {260, {261, 521}, {261}},
    {261, {261, 521}, {261, 521}},
    {300, {261, 521}, {261, 521}},
    {600, {261, 521, 1041}, {261, 521, 1041}},
    {5000, {261, 521, 1041, 2081, 4161, 8321}, {261, 521, 1041, 2081, 4161, 8321}},
};

TEST(module_path_test, narrow_module_paths_of_any_length_come_back_whole_and_untouched) {
    for (const LongPathRow& row : longPathRows) {
        for (RawEncoding encoding : {RawEncoding::ShiftJis, RawEncoding::AnsiCodePage}) {
            RecordingBoundary os;
            os.ProgramModuleFileNameA(PathOfLength(row.length));
            RawString path = RawLayer::ModulePath(encoding);
            EXPECT_EQ(RawBytesOf(path), PathOfLength(row.length)) << row.length;
            EXPECT_EQ(path.Encoding(), encoding);
            EXPECT_LE(path.Length(), path.Capacity());
            EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameA", row.narrowSizes))
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
        EXPECT_EQ(RawUnitsOf(path), expected) << row.length;
        EXPECT_EQ(path.Encoding(), RawEncoding::Wide);
        EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", row.wideSizes))
            << row.length;
    }
}

TEST(module_path_test, a_narrow_count_just_short_of_the_buffer_is_not_taken_as_the_whole_path) {
    // Converting into the buffer, the system stops before a double-byte character that would
    // not fit: the cut path comes back terminated and counted as 260, 259 or 258 bytes.
    for (std::int64_t shortCount : {260, 259, 258}) {
        const std::string whole = "C:\\" + std::string(300, '\x95') + "\\p.exe";
        RecordingBoundary os;
        os.ProgramModuleFileNameA(whole);
        os.ProgramSequence(&Boundary::GetModuleFileNameA, {shortCount});
        EXPECT_EQ(RawBytesOf(RawLayer::ModulePath(RawEncoding::ShiftJis)), whole) << shortCount;
        EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameA", {261, 521}));
    }
}

TEST(module_path_test, a_path_longer_than_any_windows_path_gives_an_empty_text_never_a_cut_one) {
    RecordingBoundary os;
    os.ProgramModuleFileNameA(PathOfLength(70000));
    RawString path = RawLayer::ModulePath(RawEncoding::ShiftJis);
    EXPECT_EQ(path.Length(), 0);
    Calls calls = os.CallsOf(moduleCalls);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "GetModuleFileNameA(null, out, 0x105)");
    EXPECT_EQ(calls.back(), "GetModuleFileNameA(null, out, 0x10401)");
}

TEST(module_path_test, a_failing_call_gives_empty_texts) {
    {
        RecordingBoundary os;
        os.Program(&Boundary::GetModuleFileNameA, 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::ShiftJis).Length(), 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::AnsiCodePage).Length(), 0);
    }
    {
        RecordingBoundary os;
        os.Program(&Boundary::GetModuleFileNameW, 0);
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::Wide).Length(), 0);
        EXPECT_EQ(RawLayer::ModuleDirectory().Length(), 0);
        EXPECT_EQ(RawLayer::ModuleBaseName().Length(), 0);
        EXPECT_EQ(RawLayer::ModuleBaseName().Encoding(), RawEncoding::ShiftJis);
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
        os.ProgramSequence(&Boundary::GetModuleFileNameA, {261, 0});
        EXPECT_EQ(RawLayer::ModulePath(RawEncoding::ShiftJis).Length(), 0);
        EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameA", {261, 521}));
    }
}

TEST(module_path_test, other_encodings_go_through_the_wide_call) {
    const std::u16string path = u"C:\\\u30BD\u8868\\p.exe";
    RecordingBoundary os;
    os.ProgramModuleFileNameW(path);

    RawString little = RawLayer::ModulePath(RawEncoding::Utf16LittleEndian);
    EXPECT_EQ(RawBytesOf(little), std::string("C\0:\0\\\0\xBD\x30\x68\x88\\\0p\0.\0e\0x\0e\0", 22));
    EXPECT_EQ(little.Encoding(), RawEncoding::Utf16LittleEndian);
    RawString big = RawLayer::ModulePath(RawEncoding::Utf16BigEndian);
    EXPECT_EQ(RawBytesOf(big), std::string("\0C\0:\0\\\x30\xBD\x88\x68\0\\\0p\0.\0e\0x\0e", 22));
    EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", {261, 261}));

    os.Clear();
    RawString utf8 = RawLayer::ModulePath(RawEncoding::Utf8);
    EXPECT_EQ(RawBytesOf(utf8), "C:\\\xE3\x82\xBD\xE8\xA1\xA8\\p.exe");
    EXPECT_EQ(utf8.Encoding(), RawEncoding::Utf8);
    EXPECT_EQ(os.CallsOf(moduleCalls), Asked("GetModuleFileNameW", {261}));
}

// The narrow form the system gives for wide text: its ANSI code page, no flags.
std::string Ansi(const std::u16string& wide) {
    const RawLayer::Os::Boundary& system = RawLayer::Os::SystemBoundary();
    auto length = static_cast<std::int32_t>(wide.size());
    if (length == 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(system.WideCharToMultiByte(
                           0, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
                       '\0');
    system.WideCharToMultiByte(0, 0, wide.data(), length, narrow.data(),
                               static_cast<std::int32_t>(narrow.size()), nullptr, nullptr);
    return narrow;
}

// The wide text back from its ANSI form: equal to it when the code page spells it exactly.
std::u16string AnsiRoundTrip(const std::u16string& wide) {
    const RawLayer::Os::Boundary& system = RawLayer::Os::SystemBoundary();
    std::string narrow = Ansi(wide);
    auto length = static_cast<std::int32_t>(narrow.size());
    if (length == 0) {
        return std::u16string();
    }
    std::u16string back(static_cast<std::size_t>(
                            system.MultiByteToWideChar(0, 0, narrow.data(), length, nullptr, 0)),
                        u'\0');
    system.MultiByteToWideChar(0, 0, narrow.data(), length, back.data(),
                               static_cast<std::int32_t>(back.size()));
    return back;
}

// A part comes back narrow when the ANSI code page spells it exactly, and wide otherwise.
void ExpectSystemText(const RawString& part, const std::u16string& wide, const std::string& name) {
    bool exact = AnsiRoundTrip(wide) == wide;
    ASSERT_EQ(part.Encoding(), exact ? RawEncoding::ShiftJis : RawEncoding::Wide) << name;
    if (exact) {
        EXPECT_EQ(RawBytesOf(part), Ansi(wide)) << name;
    } else {
        EXPECT_EQ(RawUnitsOf(part), wide) << name;
    }
}

struct PartsRow {
    std::u16string path;
    std::u16string directory;
    std::u16string baseName;
};

TEST(module_path_test, directory_and_base_name_are_cut_from_the_wide_path_and_made_narrow) {
    const std::u16string longDirectory = u"C:\\" + std::u16string(280, u'd');
    const PartsRow rows[] = {
        {u"C:\\dir\\a.b.exe", u"C:\\dir", u"a.b"},
        {u"C:\\v1.2\\prog", u"C:\\v1.2", u"prog"},
        {u"C:\\dir\\.exe", u"C:\\dir", u""},
        {u"C:\\dir\\prog", u"C:\\dir", u"prog"},
        {u"C:\\prog.exe", u"C:", u"prog"},
        {u"prog.exe", u"", u"prog"},
        {u"C:\\dir/sub/DisplayOff.exe", u"C:\\dir/sub", u"DisplayOff"},
        {u"C:\\dir\\prog.", u"C:\\dir", u"prog"},
        {u"C:\\dir.d\\", u"C:\\dir.d", u""},
        {u"C:\\a.b\\c.d.e", u"C:\\a.b", u"c.d"},
        {longDirectory + u"\\Reboot.exe", longDirectory, u"Reboot"},
        // Their narrow forms end in a byte that Shift-JIS reads as a lead byte: 0xE9 in code
        // page 1252, 0xD1 0x91 in UTF-8, 0x83 0x5C (with a backslash as second byte) and
        // 0x95 0x5C in Shift-JIS. The backslash behind them still separates.
        {u"C:\\Caf\u00E9\\DisplayOff.exe", u"C:\\Caf\u00E9", u"DisplayOff"},
        {u"C:\\\u0451\\Reboot.exe", u"C:\\\u0451", u"Reboot"},
        {u"C:\\\u30BD\\\u8868.exe", u"C:\\\u30BD", u"\u8868"},
        {u"C:\\dir\\\u30BD", u"C:\\dir", u"\u30BD"},
        // No code page spells a lone surrogate: both parts stay wide.
        {u"C:\\a\xDC00\\b\xDC00.exe", u"C:\\a\xDC00", u"b\xDC00"},
    };
    for (const PartsRow& row : rows) {
        const std::string name = Ansi(row.path);
        RecordingBoundary os;
        os.ProgramModuleFileNameW(row.path);
        RawString directory = RawLayer::ModuleDirectory();
        RawString baseName = RawLayer::ModuleBaseName();
        ExpectSystemText(directory, row.directory, name);
        ExpectSystemText(baseName, row.baseName, name);
        Calls calls = os.CallsOf(moduleCalls);
        ASSERT_FALSE(calls.empty()) << name;
        EXPECT_EQ(calls.front(), "GetModuleFileNameW(null, out, 0x105)") << name;
        EXPECT_EQ(os.CallsOf({"GetModuleFileNameA"}), Calls{}) << name;
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
    EXPECT_EQ(RawBytesOf(RawLayer::ModulePath(RawEncoding::ShiftJis)), program);
    EXPECT_EQ(RawBytesOf(RawLayer::ModuleDirectory()), program.substr(0, program.rfind('/')));
    EXPECT_EQ(RawBytesOf(RawLayer::ModuleBaseName()), "module_path_test");

    // Build directories are plain ASCII, so each byte is one wide unit.
    EXPECT_EQ(RawUnitsOf(RawLayer::ModulePath(RawEncoding::Wide)),
              std::u16string(program.begin(), program.end()));
    EXPECT_EQ(RawBytesOf(RawLayer::ModulePath(RawEncoding::Utf8)), program);
}
#endif

}  // namespace
