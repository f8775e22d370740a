#include "library/system/shell_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_boundary.h"
#include "tests/system/system_texts.h"

namespace {

using RawLayer::EmptyText;
using RawLayer::NoProcess;
using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::ShellLaunch;
using RawLayer::ShellLaunchNarrow;
using RawLayer::ShellLaunchWide;
using RawLayer::Testing::A;
using RawLayer::Testing::Bytes;
using RawLayer::Testing::Emptied;
using RawLayer::Testing::EmptyIn;
using RawLayer::Testing::EncodingName;
using RawLayer::Testing::RecordingBoundary;
using RawLayer::Testing::ShiftJis;
using RawLayer::Testing::W;
using RawLayer::Testing::Wide;

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
const std::vector<std::string> conversionCalls = {"MultiByteToWideChar", "WideCharToMultiByte"};

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

const std::u16string a = u"\u3042";  // あ
// Windows under Wine refuses code page 51932, and so does the native converter: EUC-JP text
// comes out of its conversion empty.
const std::u16string eucJpConverted = u"";
const std::string aShiftJis = "\x82\xA0";      // あ in Shift-JIS
const std::u16string nihon = u"\u65E5\u672C";  // 日本
const std::string nihonShiftJis = "\x93\xFA\x96\x7B";

std::vector<LaunchRow> LaunchRows() {
    RawString none;
    std::vector<LaunchRow> rows = {
        {"all empty", none, none, none, none, NarrowCall(null, A(""), A(""), A("")),
         Conversion::None},
        {"file alone", none, ShiftJis("readme.txt"), none, none,
         NarrowCall(null, A("readme.txt"), A(""), A("")), Conversion::None},
        {"file with parameters and directory", none, ShiftJis("tool.exe"), ShiftJis("-x \"a b\""),
         ShiftJis("C:\\work"), NarrowCall(null, A("tool.exe"), A("-x \"a b\""), A("C:\\work")),
         Conversion::None},
        {"empty file: first is what is opened, with no parameters", none, none,
         ShiftJis("notepad.exe"), none, NarrowCall(null, A("notepad.exe"), A(""), A("")),
         Conversion::None},
        {"Shift-JIS bytes go unconverted to the narrow call", none,
         ShiftJis(nihonShiftJis + ".txt"), ShiftJis(aShiftJis), ShiftJis("C:\\" + aShiftJis),
         NarrowCall(null, A(nihonShiftJis + ".txt"), A(aShiftJis), A("C:\\" + aShiftJis)),
         Conversion::None},
        {"ANSI code page text goes to the narrow call", none,
         Bytes(RawEncoding::AnsiCodePage, "caf\xE9.txt"), none, none,
         NarrowCall(null, A("caf\xE9.txt"), A(""), A("")), Conversion::None},
        {"plain ASCII UTF-8 goes to the narrow call", none, Bytes(RawEncoding::Utf8, "a.txt"),
         ShiftJis("/p"), Bytes(RawEncoding::Utf8, "C:\\"),
         NarrowCall(null, A("a.txt"), A("/p"), A("C:\\")), Conversion::None},
        {"a non-empty verb reaches the narrow call", ShiftJis("print"), ShiftJis("a.txt"), none,
         none, NarrowCall(A("print"), A("a.txt"), A(""), A("")), Conversion::None},
        {"a Wide verb is converted for the narrow call", Wide(u"open"), ShiftJis("a.txt"), none,
         none, NarrowCall(A("open"), A("a.txt"), A(""), A("")), Conversion::CodePages},
        {"a UTF-16 verb is converted for the narrow call",
         Bytes(RawEncoding::Utf16BigEndian, std::string("\0o\0p\0e\0n", 8)), ShiftJis("a.txt"),
         none, none, NarrowCall(A("open"), A("a.txt"), A(""), A("")), Conversion::CodePages},
        {"Wide texts go unconverted to the wide call", none, Wide(nihon + u".txt"), Wide(a),
         Wide(u"C:\\" + a), WideCall(null, W(nihon + u".txt"), W(a), W(u"C:\\" + a)),
         Conversion::None},
        {"empty file with a Wide first", none, none, Wide(nihon + u".exe"), none,
         WideCall(null, W(nihon + u".exe"), W(u""), W(u"")), Conversion::None},
        {"empty Shift-JIS texts beside a Wide file need no conversion", ShiftJis(""),
         Wide(u"a.txt"), ShiftJis(""), ShiftJis(""), WideCall(null, W(u"a.txt"), W(u""), W(u"")),
         Conversion::None},
        {"a Shift-JIS verb is converted for the wide call", ShiftJis(aShiftJis), Wide(u"a.txt"),
         none, none, WideCall(W(a), W(u"a.txt"), W(u""), W(u"")), Conversion::CodePages},
        {"a UTF-16 verb reaches the wide call without a code page",
         Bytes(RawEncoding::Utf16LittleEndian, std::string("o\0p\0e\0n\0", 8)), Wide(u"a.txt"),
         none, none, WideCall(W(u"open"), W(u"a.txt"), W(u""), W(u"")), Conversion::None},
        {"a Wide file with Shift-JIS parameters converts everything", none, Wide(nihon + u".txt"),
         ShiftJis(aShiftJis), none, WideCall(null, W(nihon + u".txt"), W(a), W(u"")),
         Conversion::CodePages},
        {"a Shift-JIS file with a Wide directory converts everything", ShiftJis("open"),
         ShiftJis(nihonShiftJis), none, Wide(u"C:\\" + a),
         WideCall(W(u"open"), W(nihon), W(u""), W(u"C:\\" + a)), Conversion::CodePages},
        {"UTF-8 with a byte above 0x7E is converted", none, Bytes(RawEncoding::Utf8, "\xC3\xA9"),
         ShiftJis("/p"), none, WideCall(null, W(u"\u00E9"), W(u"/p"), W(u"")),
         Conversion::CodePages},
        {"UTF-8 holding 0x7F is converted", none, Bytes(RawEncoding::Utf8, "a\x7F"), none, none,
         WideCall(null, W(u"a\u007F"), W(u""), W(u"")), Conversion::CodePages},
        {"UTF-8 with a high byte as the directory is converted", none, ShiftJis("a.txt"), none,
         Bytes(RawEncoding::Utf8, "C:\\\xE3\x81\x82"),
         WideCall(null, W(u"a.txt"), W(u""), W(u"C:\\" + a)), Conversion::CodePages},
        {"UTF-7 is converted, plain ASCII included", none, Bytes(RawEncoding::Utf7, "a.txt"),
         Bytes(RawEncoding::Utf7, "+MEI-"), none, WideCall(null, W(u"a.txt"), W(a), W(u"")),
         Conversion::CodePages},
        {"EUC-JP is converted", none, Bytes(RawEncoding::EucJp, "\xA4\xA2"), none, none,
         WideCall(null, W(eucJpConverted), W(u""), W(u"")), Conversion::CodePages},
        {"UTF-16 big-endian bytes are converted", none,
         Bytes(RawEncoding::Utf16BigEndian, std::string("\x30\x42\0.\0t", 6)), none, none,
         WideCall(null, W(a + u".t"), W(u""), W(u"")), Conversion::None},
        {"UTF-16 little-endian bytes are converted", none, Wide(u"a.txt"),
         Bytes(RawEncoding::Utf16LittleEndian, std::string("\x42\x30-\0", 4)), none,
         WideCall(null, W(u"a.txt"), W(a + u"-"), W(u"")), Conversion::None},
        {"UTF-16 bytes beside Shift-JIS text convert both", none,
         Bytes(RawEncoding::Utf16LittleEndian, std::string("a\0", 2)), ShiftJis(aShiftJis), none,
         WideCall(null, W(u"a"), W(a), W(u"")), Conversion::CodePages},
        {"emptied narrow texts reach the wide call as empty wide texts", none, Wide(u"a.txt"),
         Emptied(ShiftJis("ab")), Emptied(Bytes(RawEncoding::Utf8, "cd")),
         WideCall(null, W(u"a.txt"), W(u""), W(u"")), Conversion::None},
        {"an emptied Wide verb is no verb", Emptied(Wide(u"ab")), ShiftJis("a.txt"), none, none,
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
    for (int id = 0; id < RawLayer::RawEncodingCount; ++id) {
        auto encoding = static_cast<RawEncoding>(id);
        std::string in = std::string(" in ") + EncodingName(encoding);
        RawString empty = EmptyIn(encoding);
        rows.push_back({"all empty" + in, empty, empty, empty, empty,
                        NarrowCall(null, A(""), A(""), A("")), Conversion::None});
        rows.push_back({"empty texts beside a Shift-JIS file" + in, empty, ShiftJis("f"), empty,
                        empty, NarrowCall(null, A("f"), A(""), A("")), Conversion::None});
        rows.push_back({"empty texts beside a Wide file" + in, empty, Wide(u"f"), empty, empty,
                        WideCall(null, W(u"f"), W(u""), W(u"")), Conversion::None});
        rows.push_back({"empty file beside a Shift-JIS first" + in, empty, empty, ShiftJis("p"),
                        empty, NarrowCall(null, A("p"), A(""), A("")), Conversion::None});
        rows.push_back({"empty file beside a Wide first" + in, empty, empty, Wide(u"p"), empty,
                        WideCall(null, W(u"p"), W(u""), W(u"")), Conversion::None});
    }
    return rows;
}

void CheckLaunches(Conversion conversion) {
    for (const LaunchRow& row : LaunchRows()) {
        if (row.conversion != conversion) {
            continue;
        }
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        os.Program("ShellExecuteExA", 1);
        os.Program("ShellExecuteExW", 1);

        RawLayer::Os::Handle process = ShellLaunch(row.verb, row.file, row.first, row.directory, 1);

        EXPECT_EQ(os.CallsOf(shellCalls), std::vector<std::string>{row.expected});
        EXPECT_EQ(process,
                  reinterpret_cast<RawLayer::Os::Handle>(RecordingBoundary::ProcessHandle));
        if (conversion == Conversion::None) {
            EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
        }
    }
}

TEST(shell_launch_test, texts_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckLaunches(Conversion::None);
}

TEST(shell_launch_test, texts_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckLaunches(Conversion::CodePages);
}

TEST(shell_launch_test, the_record_has_the_size_of_the_platforms_layout) {
#ifdef _WIN32
    EXPECT_EQ(sizeof(RawLayer::Os::ShellExecuteInfoA), 60u);
    EXPECT_EQ(sizeof(RawLayer::Os::ShellExecuteInfoW), 60u);
#endif
    RecordingBoundary os;
    os.Program("ShellExecuteExA", 0);
    ShellLaunch(EmptyText(), ShiftJis("a"), EmptyText(), EmptyText(), 1);
    EXPECT_EQ(os.CallsOf(shellCalls),
              std::vector<std::string>{NarrowCall(null, A("a"), A(""), A(""))});
}

TEST(shell_launch_test, a_failed_call_gives_no_process_in_either_width) {
    RecordingBoundary os;
    os.Program("ShellExecuteExA", 0);
    os.Program("ShellExecuteExW", 0);
    EXPECT_EQ(ShellLaunch(EmptyText(), ShiftJis("missing.txt"), EmptyText(), EmptyText(), 1),
              NoProcess);
    EXPECT_EQ(ShellLaunch(EmptyText(), Wide(u"missing.txt"), EmptyText(), EmptyText(), 1),
              NoProcess);
    EXPECT_EQ(os.CallsOf(shellCalls).size(), 2u);
}

TEST(shell_launch_test, the_show_code_is_passed_on) {
    RecordingBoundary os;
    os.Program("ShellExecuteExA", 1);
    os.Program("ShellExecuteExW", 1);
    ShellLaunch(EmptyText(), ShiftJis("a"), EmptyText(), EmptyText(), 0);
    ShellLaunch(EmptyText(), Wide(u"a"), EmptyText(), EmptyText(), 7);
    EXPECT_EQ(os.CallsOf(shellCalls),
              (std::vector<std::string>{NarrowCall(null, A("a"), A(""), A(""), 0),
                                        WideCall(null, W(u"a"), W(u""), W(u""), 7)}));
}

TEST(shell_launch_test, the_narrow_variant_passes_bytes_as_they_are) {
    RecordingBoundary os;
    os.Program("ShellExecuteExA", 1);
    ShellLaunchNarrow(ShiftJis("open"), ShiftJis(aShiftJis), Bytes(RawEncoding::Utf8, "\xC3\xA9"),
                      EmptyIn(RawEncoding::Wide), 1);
    EXPECT_EQ(os.CallsOf(shellCalls),
              std::vector<std::string>{NarrowCall(A("open"), A(aShiftJis), A("\xC3\xA9"), A(""))});
    EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
}

TEST(shell_launch_test, the_wide_variant_converts_every_text_that_is_not_wide) {
    RecordingBoundary os;
    os.Program("ShellExecuteExW", 1);
    ShellLaunchWide(ShiftJis("open"), ShiftJis(aShiftJis), Bytes(RawEncoding::Utf8, "\xC3\xA9"),
                    ShiftJis("C:\\"), 1);
    EXPECT_EQ(os.CallsOf(shellCalls),
              std::vector<std::string>{WideCall(W(u"open"), W(a), W(u"\u00E9"), W(u"C:\\"))});
}

}  // namespace
