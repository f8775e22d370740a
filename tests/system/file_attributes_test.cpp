#include "library/system/file_attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/call_width_rows.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::QueryFileAttributes;
using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Os::Boundary;
using namespace RawLayer::Testing;

std::string NarrowQuery(const std::string& path) {
    return "GetFileAttributesA(" + path + ")";
}

std::string WideQuery(const std::string& path) {
    return "GetFileAttributesW(" + path + ")";
}

struct QueryRow {
    std::string name;
    RawString path;
    std::string expected;
    bool throughCodePages;
};

std::vector<QueryRow> QueryRows() {
    std::vector<QueryRow> rows = {
        {"Shift-JIS goes narrow, unconverted", TextOf("C:\\" + hiraganaAShiftJis),
         NarrowQuery(A("C:\\" + hiraganaAShiftJis)), false},
        {"ANSI code page goes narrow, unconverted", TextOf("caf\xE9", RawEncoding::AnsiCodePage),
         NarrowQuery(A("caf\xE9")), false},
        {"plain ASCII UTF-8 goes narrow", TextOf("C:\\~x", RawEncoding::Utf8),
         NarrowQuery(A("C:\\~x")), false},
        {"Wide goes wide, unconverted", WideOf(u"C:\\" + hiraganaA),
         WideQuery(W(u"C:\\" + hiraganaA)), false},
        {"UTF-8 holding 0x7F is converted", TextOf("a\x7F", RawEncoding::Utf8),
         WideQuery(W(u"a\u007F")), true},
        {"UTF-8 with a high byte is converted", TextOf("C:\\\xE3\x81\x82", RawEncoding::Utf8),
         WideQuery(W(u"C:\\" + hiraganaA)), true},
        {"UTF-7 is converted, plain ASCII included", TextOf("C:\\a", RawEncoding::Utf7),
         WideQuery(W(u"C:\\a")), true},
        {"EUC-JP is converted", TextOf("\xA4\xA2", RawEncoding::EucJp),
         WideQuery(W(eucJpConverted)), true},
        {"UTF-16 big-endian bytes are converted",
         TextOf(std::string("\0C\0:\x30\x42", 6), RawEncoding::Utf16BigEndian),
         WideQuery(W(u"C:" + hiraganaA)), false},
        {"UTF-16 little-endian bytes are converted, a last odd byte dropped",
         TextOf(std::string("C\0:\0x", 5), RawEncoding::Utf16LittleEndian), WideQuery(W(u"C:")),
         false},
        {"an emptied Wide path is empty", Emptied(WideOf(u"ab")), NarrowQuery(A("")), false},
        {"a borrowed path ends at its length",
         RawString::Borrow("C:\\aXYZ", 4, RawEncoding::ShiftJis), NarrowQuery(A("C:\\a")), false},
    };
    for (RawEncoding encoding : allEncodings) {
        rows.push_back({std::string("an empty path goes narrow in ") + EncodingName(encoding),
                        EmptyIn(encoding), NarrowQuery(A("")), false});
    }
    return rows;
}

void CheckQueries(bool throughCodePages) {
    RawLayer::Testing::CheckCallWidths(
        QueryRows(), throughCodePages, [](const QueryRow& row) { return row.throughCodePages; },
        {&Boundary::GetFileAttributesA, &Boundary::GetFileAttributesW}, 0x20,
        [](const QueryRow& row) { EXPECT_EQ(QueryFileAttributes(row.path), 0x20u); });
}

TEST(file_attributes_test, paths_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckQueries(false);
}

TEST(file_attributes_test, paths_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckQueries(true);
}

TEST(file_attributes_test, the_value_of_the_call_is_returned_unchanged) {
    RecordingBoundary os;
    os.ProgramSequence(&Boundary::GetFileAttributesA, {0x10, RawLayer::Os::InvalidFileAttributes});
    os.Program(&Boundary::GetFileAttributesW, 0x2021);
    EXPECT_EQ(QueryFileAttributes(TextOf("C:\\dir")), 0x10u);
    EXPECT_EQ(QueryFileAttributes(TextOf("C:\\missing")), RawLayer::Os::InvalidFileAttributes);
    EXPECT_EQ(QueryFileAttributes(WideOf(u"C:\\file")), 0x2021u);
}

}  // namespace
