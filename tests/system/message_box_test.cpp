#include "library/system/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/call_width_rows.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::ShowInformation;
using RawLayer::Os::Boundary;
using namespace RawLayer::Testing;

std::string NarrowBox(const std::string& text, const std::string& caption) {
    return "MessageBoxA(null, " + text + ", " + caption + ", 0x40)";
}

std::string WideBox(const std::string& text, const std::string& caption) {
    return "MessageBoxW(null, " + text + ", " + caption + ", 0x40)";
}

struct BoxRow {
    std::string name;
    RawString text;
    RawString caption;
    std::string expected;
    bool throughCodePages;
};

std::vector<BoxRow> BoxRows() {
    std::vector<BoxRow> rows = {
        {"Shift-JIS text and caption", TextOf("Hello"), TextOf("Velmoran"),
         NarrowBox(A("Hello"), A("Velmoran")), false},
        {"Shift-JIS bytes are not brought to the system code page", TextOf(hiraganaAShiftJis),
         TextOf("caf\xE9", RawEncoding::AnsiCodePage),
         NarrowBox(A(hiraganaAShiftJis), A("caf\xE9")), false},
        {"plain ASCII UTF-8 goes narrow", TextOf("line\r\n", RawEncoding::Utf8), TextOf("Velmoran"),
         NarrowBox(A("line\r\n"), A("Velmoran")), false},
        {"a Wide text with an empty Shift-JIS caption is not converted", WideOf(hiraganaA + u"!"),
         TextOf(""), WideBox(W(hiraganaA + u"!"), W(u"")), false},
        {"Wide text and caption", WideOf(u"text"), WideOf(hiraganaA),
         WideBox(W(u"text"), W(hiraganaA)), false},
        {"a Shift-JIS text with a Wide caption converts both", TextOf(hiraganaAShiftJis),
         WideOf(u"Velmoran"), WideBox(W(hiraganaA), W(u"Velmoran")), true},
        {"UTF-8 holding 0x7F converts both", TextOf("x\x7F", RawEncoding::Utf8), TextOf("cap"),
         WideBox(W(u"x\u007F"), W(u"cap")), true},
        {"UTF-8 with a high byte as caption", TextOf("text"),
         TextOf("\xE3\x81\x82", RawEncoding::Utf8), WideBox(W(u"text"), W(hiraganaA)), true},
        {"UTF-7 text", TextOf("+MEI-", RawEncoding::Utf7), TextOf(""),
         WideBox(W(hiraganaA), W(u"")), true},
        {"EUC-JP caption", TextOf(""), TextOf("\xA4\xA2", RawEncoding::EucJp),
         WideBox(W(u""), W(eucJpConverted)), true},
        {"UTF-16 little-endian text of any content", TextOf("A", RawEncoding::Utf16LittleEndian),
         TextOf(""), WideBox(W(u""), W(u"")), false},
        {"UTF-16 big-endian text", TextOf(std::string("\0h\0i", 4), RawEncoding::Utf16BigEndian),
         WideOf(u"cap"), WideBox(W(u"hi"), W(u"cap")), false},
        {"UTF-16 text with a Shift-JIS caption", TextOf("\x42\x30", RawEncoding::Utf16LittleEndian),
         TextOf("cap"), WideBox(W(hiraganaA), W(u"cap")), true},
        {"an emptied Shift-JIS caption beside a Wide text", WideOf(u"text"), Emptied(TextOf("ab")),
         WideBox(W(u"text"), W(u"")), false},
        {"an emptied Wide text beside a Shift-JIS caption", Emptied(WideOf(u"ab")), TextOf("cap"),
         NarrowBox(A(""), A("cap")), false},
        {"borrowed texts end at their lengths",
         RawString::Borrow("textXYZ", 4, RawEncoding::ShiftJis),
         RawString::Borrow("capXYZ", 3, RawEncoding::ShiftJis), NarrowBox(A("text"), A("cap")),
         false},
    };
    for (RawEncoding encoding : allEncodings) {
        std::string in = std::string(" in ") + EncodingName(encoding);
        RawString empty = EmptyIn(encoding);
        rows.push_back({"both empty" + in, empty, empty, NarrowBox(A(""), A("")), false});
        rows.push_back({"empty text with a Shift-JIS caption" + in, empty, TextOf("cap"),
                        NarrowBox(A(""), A("cap")), false});
        rows.push_back({"empty caption with a Wide text" + in, WideOf(u"text"), empty,
                        WideBox(W(u"text"), W(u"")), false});
    }
    return rows;
}

void CheckBoxes(bool throughCodePages) {
    RawLayer::Testing::CheckCallWidths(
        BoxRows(), throughCodePages, [](const BoxRow& row) { return row.throughCodePages; },
        {&Boundary::MessageBoxA, &Boundary::MessageBoxW}, 1,
        [](const BoxRow& row) { EXPECT_EQ(ShowInformation(row.text, row.caption), 1); });
}

TEST(message_box_test, texts_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckBoxes(false);
}

TEST(message_box_test, texts_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckBoxes(true);
}

TEST(message_box_test, the_result_of_the_call_is_returned_unchanged) {
    RecordingBoundary os;
    os.ProgramSequence(&Boundary::MessageBoxA, {0, 1});
    os.Program(&Boundary::MessageBoxW, 7);
    EXPECT_EQ(ShowInformation(TextOf("text"), TextOf("cap")), 0);
    EXPECT_EQ(ShowInformation(TextOf("text"), TextOf("cap")), 1);
    EXPECT_EQ(ShowInformation(WideOf(u"text"), WideOf(u"cap")), 7);
}

}  // namespace
