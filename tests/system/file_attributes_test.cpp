#include "library/system/file_attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_boundary.h"
#include "tests/system/system_texts.h"

namespace {

using RawLayer::QueryFileAttributes;
using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::Testing::A;
using RawLayer::Testing::Bytes;
using RawLayer::Testing::Emptied;
using RawLayer::Testing::EmptyIn;
using RawLayer::Testing::EncodingName;
using RawLayer::Testing::RecordingBoundary;
using RawLayer::Testing::ShiftJis;
using RawLayer::Testing::W;
using RawLayer::Testing::Wide;

std::string NarrowQuery(const std::string& path) {
    return "GetFileAttributesA(" + path + ")";
}

std::string WideQuery(const std::string& path) {
    return "GetFileAttributesW(" + path + ")";
}

const std::vector<std::string> queryCalls = {"GetFileAttributesA", "GetFileAttributesW"};
const std::vector<std::string> conversionCalls = {"MultiByteToWideChar", "WideCharToMultiByte"};

struct QueryRow {
    std::string name;
    RawString path;
    std::string expected;
    bool throughCodePages;
};

const std::u16string a = u"\u3042";
// Windows under Wine refuses code page 51932, and so does the native converter: EUC-JP text
// comes out of its conversion empty.
const std::u16string eucJpConverted = u"";
const std::string aShiftJis = "\x82\xA0";

std::vector<QueryRow> QueryRows() {
    std::vector<QueryRow> rows = {
        {"Shift-JIS goes narrow, unconverted", ShiftJis("C:\\" + aShiftJis),
         NarrowQuery(A("C:\\" + aShiftJis)), false},
        {"ANSI code page goes narrow, unconverted", Bytes(RawEncoding::AnsiCodePage, "caf\xE9"),
         NarrowQuery(A("caf\xE9")), false},
        {"plain ASCII UTF-8 goes narrow", Bytes(RawEncoding::Utf8, "C:\\~x"),
         NarrowQuery(A("C:\\~x")), false},
        {"Wide goes wide, unconverted", Wide(u"C:\\" + a), WideQuery(W(u"C:\\" + a)), false},
        {"UTF-8 holding 0x7F is converted", Bytes(RawEncoding::Utf8, "a\x7F"),
         WideQuery(W(u"a\u007F")), true},
        {"UTF-8 with a high byte is converted", Bytes(RawEncoding::Utf8, "C:\\\xE3\x81\x82"),
         WideQuery(W(u"C:\\" + a)), true},
        {"UTF-7 is converted, plain ASCII included", Bytes(RawEncoding::Utf7, "C:\\a"),
         WideQuery(W(u"C:\\a")), true},
        {"EUC-JP is converted", Bytes(RawEncoding::EucJp, "\xA4\xA2"), WideQuery(W(eucJpConverted)),
         true},
        {"UTF-16 big-endian bytes are converted",
         Bytes(RawEncoding::Utf16BigEndian, std::string("\0C\0:\x30\x42", 6)),
         WideQuery(W(u"C:" + a)), false},
        {"UTF-16 little-endian bytes are converted, a last odd byte dropped",
         Bytes(RawEncoding::Utf16LittleEndian, std::string("C\0:\0x", 5)), WideQuery(W(u"C:")),
         false},
        {"an emptied Wide path is empty", Emptied(Wide(u"ab")), NarrowQuery(A("")), false},
        {"a borrowed path ends at its length",
         RawString::Borrow("C:\\aXYZ", 4, RawEncoding::ShiftJis), NarrowQuery(A("C:\\a")), false},
    };
    for (int id = 0; id < RawLayer::RawEncodingCount; ++id) {
        auto encoding = static_cast<RawEncoding>(id);
        rows.push_back({std::string("an empty path goes narrow in ") + EncodingName(encoding),
                        EmptyIn(encoding), NarrowQuery(A("")), false});
    }
    return rows;
}

void CheckQueries(bool throughCodePages) {
    for (const QueryRow& row : QueryRows()) {
        if (row.throughCodePages != throughCodePages) {
            continue;
        }
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        os.Program("GetFileAttributesA", 0x20);
        os.Program("GetFileAttributesW", 0x20);

        EXPECT_EQ(QueryFileAttributes(row.path), 0x20u);

        EXPECT_EQ(os.CallsOf(queryCalls), std::vector<std::string>{row.expected});
        if (!throughCodePages) {
            EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
        }
    }
}

TEST(file_attributes_test, paths_that_need_no_code_page_reach_the_chosen_call_exactly) {
    CheckQueries(false);
}

TEST(file_attributes_test, paths_converted_through_code_pages_reach_the_wide_call_exactly) {
    CheckQueries(true);
}

TEST(file_attributes_test, the_value_of_the_call_is_returned_unchanged) {
    RecordingBoundary os;
    os.ProgramSequence("GetFileAttributesA", {0x10, RawLayer::Os::InvalidFileAttributes});
    os.Program("GetFileAttributesW", 0x2021);
    EXPECT_EQ(QueryFileAttributes(ShiftJis("C:\\dir")), 0x10u);
    EXPECT_EQ(QueryFileAttributes(ShiftJis("C:\\missing")), RawLayer::Os::InvalidFileAttributes);
    EXPECT_EQ(QueryFileAttributes(Wide(u"C:\\file")), 0x2021u);
}

}  // namespace
