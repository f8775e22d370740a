#include "library/system/shell_launch.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/call_width_rows.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::EmptyText;
using RawLayer::NoProcess;
using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::ShellLaunch;
using RawLayer::ShellLaunchNarrow;
using RawLayer::ShellLaunchWide;
using RawLayer::Os::Boundary;
using namespace RawLayer::Testing;

const std::string null = "null";

std::string Record(const char* function, std::size_t size, const std::string& verb,
                   const std::string& file, const std::string& parameters,
                   const std::string& directory, int show) {
    return std::string(function) + "(cbSize=" + std::to_string(size) +
           ", fMask=0x640, hwnd=null, lpVerb=" + verb + ", lpFile=" + file +
           ", lpParameters=" + parameters + ", lpDirectory=" + directory +
           ", nShow=" + std::to_string(show) + ")";
}

std::string NarrowCall(const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& directory, int show = 1) {
    return Record("ShellExecuteExA", sizeof(RawLayer::Os::ShellExecuteInfoA), verb, file,
                  parameters, directory, show);
}

std::string WideCall(const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& directory, int show = 1) {
    return Record("ShellExecuteExW", sizeof(RawLayer::Os::ShellExecuteInfoW), verb, file,
                  parameters, directory, show);
}

const std::vector<std::string> shellCalls = {"ShellExecuteExA", "ShellExecuteExW"};

enum class Conversion {
    None,       // no text goes through a code page, so the system converts nothing
    CodePages,  // some text goes through a code page: the platform's converter is needed
};

struct LaunchRow {
    std::string name;
    RawString verb;
    RawString file;
    RawString first;
    RawString directory;
    std::string expected;
    Conversion conversion;
};

std::vector<LaunchRow> LaunchRows() {
    RawString none;
    std::vector<LaunchRow> rows = {
        {"all empty", none, none, none, none, NarrowCall(null, A(""), A(""), A("")),
         Conversion::None},
        {"file alone", none, TextOf("readme.txt"), none, none,
         NarrowCall(null, A("readme.txt"), A(""), A("")), Conversion::None},
        {"file with parameters and directory", none, TextOf("tool.exe"), TextOf("-x \"a b\""),
         TextOf("C:\\work"), NarrowCall(null, A("tool.exe"), A("-x \"a b\""), A("C:\\work")),
         Conversion::None},
        {"empty file: first is what is opened, with no parameters", none, none,
         TextOf("notepad.exe"), none, NarrowCall(null, A("notepad.exe"), A(""), A("")),
         Conversion::None},
        {"Shift-JIS bytes go unconverted to the narrow call", none, TextOf(nihonShiftJis + ".txt"),
         TextOf(hiraganaAShiftJis), TextOf("C:\\" + hiraganaAShiftJis),
         NarrowCall(null, A(nihonShiftJis + ".txt"), A(hiraganaAShiftJis),
                    A("C:\\" + hiraganaAShiftJis)),
         Conversion::None},
        {"ANSI code page text goes to the narrow call", none,
         TextOf("caf\xE9.txt", RawEncoding::AnsiCodePage), none, none,
         NarrowCall(null, A("caf\xE9.txt"), A(""), A("")), Conversion::None},
        {"plain ASCII UTF-8 goes to the narrow call", none, TextOf("a.txt", RawEncoding::Utf8),
         TextOf("/p"), TextOf("C:\\", RawEncoding::Utf8),
         NarrowCall(null, A("a.txt"), A("/p"), A("C:\\")), Conversion::None},
        {"a non-empty verb reaches the narrow call", TextOf("print"), TextOf("a.txt"), none, none,
         NarrowCall(A("print"), A("a.txt"), A(""), A("")), Conversion::None},
        {"a Wide verb is converted for the narrow call", WideOf(u"open"), TextOf("a.txt"), none,
         none, NarrowCall(A("open"), A("a.txt"), A(""), A("")), Conversion::CodePages},
        {"a UTF-16 verb is converted for the narrow call",
         TextOf(std::string("\0o\0p\0e\0n", 8), RawEncoding::Utf16BigEndian), TextOf("a.txt"), none,
         none, NarrowCall(A("open"), A("a.txt"), A(""), A("")), Conversion::CodePages},
        {"Wide texts go unconverted to the wide call", none, WideOf(nihon + u".txt"),
         WideOf(hiraganaA), WideOf(u"C:\\" + hiraganaA),
         WideCall(null, W(nihon + u".txt"), W(hiraganaA), W(u"C:\\" + hiraganaA)),
         Conversion::None},
        {"empty file with a Wide first", none, none, WideOf(nihon + u".exe"), none,
         WideCall(null, W(nihon + u".exe"), W(u""), W(u"")), Conversion::None},
        {"empty Shift-JIS texts beside a Wide file need no conversion", TextOf(""),
         WideOf(u"a.txt"), TextOf(""), TextOf(""), WideCall(null, W(u"a.txt"), W(u""), W(u"")),
         Conversion::None},
        {"a Shift-JIS verb is converted for the wide call", TextOf(hiraganaAShiftJis),
         WideOf(u"a.txt"), none, none, WideCall(W(hiraganaA), W(u"a.txt"), W(u""), W(u"")),
         Conversion::CodePages},
        {"a UTF-16 verb reaches the wide call without a code page",
         TextOf(std::string("o\0p\0e\0n\0", 8), RawEncoding::Utf16LittleEndian), WideOf(u"a.txt"),
         none, none, WideCall(W(u"open"), W(u"a.txt"), W(u""), W(u"")), Conversion::None},
        {"a Wide file with Shift-JIS parameters converts everything", none, WideOf(nihon + u".txt"),
         TextOf(hiraganaAShiftJis), none, WideCall(null, W(nihon + u".txt"), W(hiraganaA), W(u"")),
         Conversion::CodePages},
        {"a Shift-JIS file with a Wide directory converts everything", TextOf("open"),
         TextOf(nihonShiftJis), none, WideOf(u"C:\\" + hiraganaA),
         WideCall(W(u"open"), W(nihon), W(u""), W(u"C:\\" + hiraganaA)), Conversion::CodePages},
        {"UTF-8 with a byte above 0x7E is converted", none, TextOf("\xC3\xA9", RawEncoding::Utf8),
         TextOf("/p"), none, WideCall(null, W(u"\u00E9"), W(u"/p"), W(u"")), Conversion::CodePages},
        {"UTF-8 holding 0x7F is converted", none, TextOf("a\x7F", RawEncoding::Utf8), none, none,
         WideCall(null, W(u"a\u007F"), W(u""), W(u"")), Conversion::CodePages},
        {"UTF-8 with a high byte as the directory is converted", none, TextOf("a.txt"), none,
         TextOf("C:\\\xE3\x81\x82", RawEncoding::Utf8),
         WideCall(null, W(u"a.txt"), W(u""), W(u"C:\\" + hiraganaA)), Conversion::CodePages},
        {"UTF-7 is converted, plain ASCII included", none, TextOf("a.txt", RawEncoding::Utf7),
         TextOf("+MEI-", RawEncoding::Utf7), none,
         WideCall(null, W(u"a.txt"), W(hiraganaA), W(u"")), Conversion::CodePages},
        {"EUC-JP is converted", none, TextOf("\xA4\xA2", RawEncoding::EucJp), none, none,
         WideCall(null, W(eucJpConverted), W(u""), W(u"")), Conversion::CodePages},
        {"UTF-16 big-endian bytes are converted", none,
         TextOf(std::string("\x30\x42\0.\0t", 6), RawEncoding::Utf16BigEndian), none, none,
         WideCall(null, W(hiraganaA + u".t"), W(u""), W(u"")), Conversion::None},
        {"UTF-16 little-endian bytes are converted", none, WideOf(u"a.txt"),
         TextOf(std::string("\x42\x30-\0", 4), RawEncoding::Utf16LittleEndian), none,
         WideCall(null, W(u"a.txt"), W(hiraganaA + u"-"), W(u"")), Conversion::None},
        {"UTF-16 bytes beside Shift-JIS text convert both", none,
         TextOf(std::string("a\0", 2), RawEncoding::Utf16LittleEndian), TextOf(hiraganaAShiftJis),
         none, WideCall(null, W(u"a"), W(hiraganaA), W(u"")), Conversion::CodePages},
        {"emptied narrow texts reach the wide call as empty wide texts", none, WideOf(u"a.txt"),
         Emptied(TextOf("ab")), Emptied(TextOf("cd", RawEncoding::Utf8)),
         WideCall(null, W(u"a.txt"), W(u""), W(u"")), Conversion::None},
        {"an emptied Wide verb is no verb", Emptied(WideOf(u"ab")), TextOf("a.txt"), none, none,
         NarrowCall(null, A("a.txt"), A(""), A("")), Conversion::None},
        {"borrowed narrow text is passed up to its length", none,
         RawString::Borrow("a.txtXYZ", 5, RawEncoding::ShiftJis),
         RawString::Borrow("/pQ", 2, RawEncoding::ShiftJis),
         RawString::Borrow("C:\\dirX", 6, RawEncoding::ShiftJis),
         NarrowCall(null, A("a.txt"), A("/p"), A("C:\\dir")), Conversion::None},
        {"borrowed Wide text is passed up to its length", none,
         RawString::Borrow(u"a.txtXYZ", 5, RawEncoding::Wide),
         RawString::Borrow(u"/pQ", 2, RawEncoding::Wide), none,
         WideCall(null, W(u"a.txt"), W(u"/p"), W(u"")), Conversion::None},
    };
    // An empty text of any encoding fits either call and reaches it empty and not null.
    for (RawEncoding encoding : allEncodings) {
        std::string in = std::string(" in ") + EncodingName(encoding);
        RawString empty = EmptyIn(encoding);
        rows.push_back({"all empty" + in, empty, empty, empty, empty,
                        NarrowCall(null, A(""), A(""), A("")), Conversion::None});
        rows.push_back({"empty texts beside a Shift-JIS file" + in, empty, TextOf("f"), empty,
                        empty, NarrowCall(null, A("f"), A(""), A("")), Conversion::None});
        rows.push_back({"empty texts beside a Wide file" + in, empty, WideOf(u"f"), empty, empty,
                        WideCall(null, W(u"f"), W(u""), W(u"")), Conversion::None});
        rows.push_back({"empty file beside a Shift-JIS first" + in, empty, empty, TextOf("p"),
                        empty, NarrowCall(null, A("p"), A(""), A("")), Conversion::None});
        rows.push_back({"empty file beside a Wide first" + in, empty, empty, WideOf(u"p"), empty,
                        WideCall(null, W(u"p"), W(u""), W(u"")), Conversion::None});
    }
    return rows;
}

void CheckLaunches(Conversion conversion) {
    RawLayer::Testing::CheckCallWidths(
        LaunchRows(), conversion == Conversion::CodePages,
        [](const LaunchRow& row) { return row.conversion == Conversion::CodePages; },
        {&Boundary::ShellExecuteExA, &Boundary::ShellExecuteExW}, 1,
        [](const LaunchRow& row) {
            EXPECT_EQ(ShellLaunch(row.verb, row.file, row.first, row.directory, 1),
                      reinterpret_cast<RawLayer::Os::Handle>(RecordingBoundary::ProcessHandle));
        });
}

TEST(shell_launch_test, texts_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckLaunches(Conversion::None);
}

TEST(shell_launch_test, texts_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckLaunches(Conversion::CodePages);
}

TEST(shell_launch_test, the_record_has_the_size_of_the_platforms_layout) {
#ifdef _WIN32
    // 32-bit: 60 bytes, the process handle last at 56. 64-bit: pointers of 8 bytes, each
    // aligned, so the handle lies at 104 of 112.
    const bool wide = sizeof(void*) == 8;
    EXPECT_EQ(sizeof(RawLayer::Os::ShellExecuteInfoA), wide ? 112u : 60u);
    EXPECT_EQ(sizeof(RawLayer::Os::ShellExecuteInfoW), wide ? 112u : 60u);
    EXPECT_EQ(offsetof(RawLayer::Os::ShellExecuteInfoW, hProcess), wide ? 104u : 56u);
#endif
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExA, 0);
    ShellLaunch(EmptyText(), TextOf("a"), EmptyText(), EmptyText(), 1);
    EXPECT_EQ(os.CallsOf(shellCalls),
              std::vector<std::string>{NarrowCall(null, A("a"), A(""), A(""))});
}

TEST(shell_launch_test, a_failed_call_gives_no_process_in_either_width) {
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExA, 0);
    os.Program(&Boundary::ShellExecuteExW, 0);
    EXPECT_EQ(ShellLaunch(EmptyText(), TextOf("missing.txt"), EmptyText(), EmptyText(), 1),
              NoProcess);
    EXPECT_EQ(ShellLaunch(EmptyText(), WideOf(u"missing.txt"), EmptyText(), EmptyText(), 1),
              NoProcess);
    EXPECT_EQ(os.CallsOf(shellCalls).size(), 2u);
}

TEST(shell_launch_test, the_show_code_is_passed_on) {
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExA, 1);
    os.Program(&Boundary::ShellExecuteExW, 1);
    ShellLaunch(EmptyText(), TextOf("a"), EmptyText(), EmptyText(), 0);
    ShellLaunch(EmptyText(), WideOf(u"a"), EmptyText(), EmptyText(), 7);
    EXPECT_EQ(os.CallsOf(shellCalls),
              (std::vector<std::string>{NarrowCall(null, A("a"), A(""), A(""), 0),
                                        WideCall(null, W(u"a"), W(u""), W(u""), 7)}));
}

TEST(shell_launch_test, the_narrow_variant_passes_bytes_as_they_are) {
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExA, 1);
    ShellLaunchNarrow(TextOf("open"), TextOf(hiraganaAShiftJis),
                      TextOf("\xC3\xA9", RawEncoding::Utf8), EmptyIn(RawEncoding::Wide), 1);
    EXPECT_EQ(os.CallsOf(shellCalls), std::vector<std::string>{NarrowCall(
                                          A("open"), A(hiraganaAShiftJis), A("\xC3\xA9"), A(""))});
    EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
}

TEST(shell_launch_test, the_wide_variant_converts_every_text_that_is_not_wide) {
    RecordingBoundary os;
    os.Program(&Boundary::ShellExecuteExW, 1);
    ShellLaunchWide(TextOf("open"), TextOf(hiraganaAShiftJis),
                    TextOf("\xC3\xA9", RawEncoding::Utf8), TextOf("C:\\"), 1);
    EXPECT_EQ(os.CallsOf(shellCalls), std::vector<std::string>{WideCall(W(u"open"), W(hiraganaA),
                                                                        W(u"\u00E9"), W(u"C:\\"))});
}

}  // namespace
