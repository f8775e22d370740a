#include "library/system/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_boundary.h"
#include "tests/system/system_texts.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::ShowInformation;
using RawLayer::Testing::A;
using RawLayer::Testing::Bytes;
using RawLayer::Testing::Emptied;
using RawLayer::Testing::EmptyIn;
using RawLayer::Testing::EncodingName;
using RawLayer::Testing::RecordingBoundary;
using RawLayer::Testing::ShiftJis;
using RawLayer::Testing::W;
using RawLayer::Testing::Wide;

std::string NarrowBox(const std::string& text, const std::string& caption) {
    return "MessageBoxA(null, " + text + ", " + caption + ", 0x40)";
}

std::string WideBox(const std::string& text, const std::string& caption) {
    return "MessageBoxW(null, " + text + ", " + caption + ", 0x40)";
}

const std::vector<std::string> boxCalls = {"MessageBoxA", "MessageBoxW"};
const std::vector<std::string> conversionCalls = {"MultiByteToWideChar", "WideCharToMultiByte"};

struct BoxRow {
    std::string name;
    RawString text;
    RawString caption;
    std::string expected;
    bool throughCodePages;
};

const std::u16string a = u"\u3042";
// Windows under Wine refuses code page 51932, and so does the native converter: EUC-JP text
// comes out of its conversion empty.
const std::u16string eucJpConverted = u"";
const std::string aShiftJis = "\x82\xA0";

std::vector<BoxRow> BoxRows() {
    std::vector<BoxRow> rows = {
        {"Shift-JIS text and caption", ShiftJis("Hello"), ShiftJis("Velmoran"),
         NarrowBox(A("Hello"), A("Velmoran")), false},
        {"Shift-JIS bytes are not brought to the system code page", ShiftJis(aShiftJis),
         Bytes(RawEncoding::AnsiCodePage, "caf\xE9"), NarrowBox(A(aShiftJis), A("caf\xE9")), false},
        {"plain ASCII UTF-8 goes narrow", Bytes(RawEncoding::Utf8, "line\r\n"),
         ShiftJis("Velmoran"), NarrowBox(A("line\r\n"), A("Velmoran")), false},
        {"a Wide text with an empty Shift-JIS caption is not converted", Wide(a + u"!"),
         ShiftJis(""), WideBox(W(a + u"!"), W(u"")), false},
        {"Wide text and caption", Wide(u"text"), Wide(a), WideBox(W(u"text"), W(a)), false},
        {"a Shift-JIS text with a Wide caption converts both", ShiftJis(aShiftJis),
         Wide(u"Velmoran"), WideBox(W(a), W(u"Velmoran")), true},
        {"UTF-8 holding 0x7F converts both", Bytes(RawEncoding::Utf8, "x\x7F"), ShiftJis("cap"),
         WideBox(W(u"x\u007F"), W(u"cap")), true},
        {"UTF-8 with a high byte as caption", ShiftJis("text"),
         Bytes(RawEncoding::Utf8, "\xE3\x81\x82"), WideBox(W(u"text"), W(a)), true},
        {"UTF-7 text", Bytes(RawEncoding::Utf7, "+MEI-"), ShiftJis(""), WideBox(W(a), W(u"")),
         true},
        {"EUC-JP caption", ShiftJis(""), Bytes(RawEncoding::EucJp, "\xA4\xA2"),
         WideBox(W(u""), W(eucJpConverted)), true},
        {"UTF-16 little-endian text of any content", Bytes(RawEncoding::Utf16LittleEndian, "A"),
         ShiftJis(""), WideBox(W(u""), W(u"")), false},
        {"UTF-16 big-endian text", Bytes(RawEncoding::Utf16BigEndian, std::string("\0h\0i", 4)),
         Wide(u"cap"), WideBox(W(u"hi"), W(u"cap")), false},
        {"UTF-16 text with a Shift-JIS caption", Bytes(RawEncoding::Utf16LittleEndian, "\x42\x30"),
         ShiftJis("cap"), WideBox(W(a), W(u"cap")), true},
        {"an emptied Shift-JIS caption beside a Wide text", Wide(u"text"), Emptied(ShiftJis("ab")),
         WideBox(W(u"text"), W(u"")), false},
        {"an emptied Wide text beside a Shift-JIS caption", Emptied(Wide(u"ab")), ShiftJis("cap"),
         NarrowBox(A(""), A("cap")), false},
        {"borrowed texts end at their lengths",
         RawString::Borrow("textXYZ", 4, RawEncoding::ShiftJis),
         RawString::Borrow("capXYZ", 3, RawEncoding::ShiftJis), NarrowBox(A("text"), A("cap")),
         false},
    };
    for (int id = 0; id < RawLayer::RawEncodingCount; ++id) {
        auto encoding = static_cast<RawEncoding>(id);
        std::string in = std::string(" in ") + EncodingName(encoding);
        RawString empty = EmptyIn(encoding);
        rows.push_back({"both empty" + in, empty, empty, NarrowBox(A(""), A("")), false});
        rows.push_back({"empty text with a Shift-JIS caption" + in, empty, ShiftJis("cap"),
                        NarrowBox(A(""), A("cap")), false});
        rows.push_back({"empty caption with a Wide text" + in, Wide(u"text"), empty,
                        WideBox(W(u"text"), W(u"")), false});
    }
    return rows;
}

void CheckBoxes(bool throughCodePages) {
    for (const BoxRow& row : BoxRows()) {
        if (row.throughCodePages != throughCodePages) {
            continue;
        }
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        os.Program("MessageBoxA", 1);
        os.Program("MessageBoxW", 1);

        EXPECT_EQ(ShowInformation(row.text, row.caption), 1);

        EXPECT_EQ(os.CallsOf(boxCalls), std::vector<std::string>{row.expected});
        if (!throughCodePages) {
            EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
        }
    }
}

TEST(message_box_test, texts_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckBoxes(false);
}

TEST(message_box_test, texts_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckBoxes(true);
}

TEST(message_box_test, the_result_of_the_call_is_returned_unchanged) {
    RecordingBoundary os;
    os.ProgramSequence("MessageBoxA", {0, 1});
    os.Program("MessageBoxW", 7);
    EXPECT_EQ(ShowInformation(ShiftJis("text"), ShiftJis("cap")), 0);
    EXPECT_EQ(ShowInformation(ShiftJis("text"), ShiftJis("cap")), 1);
    EXPECT_EQ(ShowInformation(Wide(u"text"), Wide(u"cap")), 7);
}

}  // namespace
