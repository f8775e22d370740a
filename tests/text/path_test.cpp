#include "library/text/path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawString;

constexpr RawEncoding ShiftJis = RawEncoding::ShiftJis;
constexpr RawEncoding Ansi = RawEncoding::AnsiCodePage;

// A text of its own (Owned, capacity = length) holding the bytes.
RawString Narrow(const std::string& bytes, RawEncoding encoding = ShiftJis) {
    RawString borrowed =
        RawString::Borrow(bytes.data(), static_cast<std::int32_t>(bytes.size()), encoding);
    return RawString(encoding, borrowed, {0, borrowed.Length()});
}

RawString Wide(const std::u16string& units) {
    RawString borrowed =
        RawString::Borrow(units.data(), static_cast<std::int32_t>(units.size()), RawEncoding::Wide);
    return RawString(RawEncoding::Wide, borrowed, {0, borrowed.Length()});
}

struct SeparatorRow {
    const char* name;
    RawString text;
    std::int32_t index;
    bool expected;
};

TEST(path_test, is_path_separator_tells_separators_from_second_bytes_of_shift_jis) {
    const SeparatorRow rows[] = {
        {"83 5C", Narrow("\x83\x5C"), 1, false},
        {"83 83 5C", Narrow("\x83\x83\x5C"), 2, true},
        {"83 83 83 5C", Narrow("\x83\x83\x83\x5C"), 3, false},
        {"81 41 83 5C", Narrow("\x81\x41\x83\x5C"), 3, false},
        {"a 83 5C", Narrow("a\x83\x5C"), 2, false},
        {"5C at 0", Narrow("\\"), 0, true},
        {"5C at 0 before a lead byte", Narrow("\\\x83"), 0, true},
        {"a 5C", Narrow("a\\"), 1, true},
        {"83 2F", Narrow("\x83/"), 1, false},
        {"83 83 2F", Narrow("\x83\x83/"), 2, true},
        {"2F at 0", Narrow("/"), 0, true},
        {"9F 5C", Narrow("\x9F\x5C"), 1, false},
        {"E0 5C", Narrow("\xE0\x5C"), 1, false},
        {"EF 5C", Narrow("\xEF\x5C"), 1, false},
        {"E0 E0 5C", Narrow("\xE0\xE0\x5C"), 2, true},
        {"80 5C", Narrow("\x80\x5C"), 1, true},
        {"A0 5C", Narrow("\xA0\x5C"), 1, true},
        {"F0 5C", Narrow("\xF0\x5C"), 1, true},
        {"not a separator", Narrow("a:"), 1, false},
        {"index -1", Narrow("\\"), -1, false},
        {"index at the length", Narrow("a\\"), 2, false},
        {"most negative index", Narrow("\\"), std::numeric_limits<std::int32_t>::min(), false},
        {"ansi 83 5C", Narrow("\x83\x5C", Ansi), 1, true},
        {"ansi 83 2F", Narrow("\x83/", Ansi), 1, true},
        {"utf-8 83 5C", Narrow("\x83\x5C", RawEncoding::Utf8), 1, true},
        {"wide 83 5C", Wide(u"\u0083\\"), 1, true},
        {"wide 8D5C", Wide(u"\u8D5C"), 0, false},
        {"wide slash after a lead-like unit", Wide(u"\u0083/"), 1, true},
    };
    for (const SeparatorRow& row : rows) {
        EXPECT_EQ(RawLayer::IsPathSeparator(row.text, row.index), row.expected) << row.name;
    }
}

struct LastRow {
    const char* name;
    RawString text;
    RawRange range;
    std::int32_t expected;
};

TEST(path_test, find_last_separator_searches_the_clamped_range_by_whole_characters) {
    const LastRow rows[] = {
        {"(0, 3) without separators", Narrow("abcdef"), {0, 3}, 3},
        {"whole text without separators", Narrow("abcdef"), {0, 100}, 6},
        {"both separators", Narrow("a\\b/c"), {0, 100}, 3},
        {"range before the last", Narrow("a\\b/c"), {0, 3}, 1},
        {"negative start", Narrow("a\\b/c"), {-5, 2}, 1},
        {"range between them", Narrow("a\\b/c"), {2, 3}, 3},
        {"empty range", Narrow("a\\b/c"), {4, 4}, 4},
        {"inverted range", Narrow("a\\b/c"), {5, 2}, 2},
        {"start beyond the end", Narrow("a\\b"), {9, 100}, 3},
        {"empty text", Narrow(""), {0, 10}, 0},
        {"second byte 5C is stepped over", Narrow("a\\\x83\x5C"), {0, 4}, 1},
        {"ansi has no second bytes", Narrow("a\\\x83\x5C", Ansi), {0, 4}, 3},
        {"wide", Wide(u"C:\\d\u8D5C/x"), {0, 7}, 5},
    };
    for (const LastRow& row : rows) {
        EXPECT_EQ(RawLayer::FindLastSeparator(row.text, row.range), row.expected) << row.name;
    }
}

TEST(path_test, find_last_of_keeps_the_last_member_of_the_range) {
    const RawString& delimiters = RawLayer::PathDelimiters();
    const LastRow rows[] = {
        {"last dot", Narrow("a.b.c"), {0, 5}, 3},
        {"separator after the dot", Narrow("d.x\\file"), {0, 8}, 3},
        {"dot after the separator", Narrow("d\\f.exe"), {0, 7}, 3},
        {"none", Narrow("file"), {0, 4}, 4},
        {"range ends before the dot", Narrow("a\\b.c"), {0, 3}, 1},
        {"second byte 5C is stepped over", Narrow("a.\x83\x5C"), {0, 4}, 1},
    };
    for (const LastRow& row : rows) {
        EXPECT_EQ(RawLayer::FindLastOf(row.text, row.range, delimiters), row.expected) << row.name;
    }
    EXPECT_EQ(delimiters.Length(), 3);
    EXPECT_EQ(delimiters.Encoding(), ShiftJis);
    EXPECT_EQ(&RawLayer::PathDelimiters(), &delimiters);
}

struct DirectoryRow {
    RawString path;
    std::int32_t end;
};

TEST(path_test, directory_range_ends_before_the_last_separator) {
    const DirectoryRow rows[] = {
        {Narrow("C:\\dir\\file.exe"), 6},
        {Narrow("C:\\file.exe"), 2},
        {Narrow("\\file"), 0},
        {Narrow("file"), 0},
        {Narrow(""), 0},
        {Narrow("a/b\\c"), 3},
        {Narrow("dir\\"), 3},
        {Narrow("C:\\\x83\x5C\\x"), 5},
        {Narrow("C:\\\x83\x5Cx"), 2},
        {Narrow("\x83\x5Cx"), 0},
    };
    for (const DirectoryRow& row : rows) {
        RawRange range = RawLayer::DirectoryRange(row.path);
        EXPECT_EQ(range.start, 0) << row.path.NarrowText();
        EXPECT_EQ(range.end, row.end) << row.path.NarrowText();
    }
}

struct JoinRow {
    const char* name;
    RawString directory;
    RawString name_;
    RawString expected;
};

TEST(path_test, join_path_inserts_a_backslash_only_where_none_ends_the_directory) {
    const RawString readMe = Narrow("ReadMe_Velmoran.txt");
    const JoinRow rows[] = {
        {"empty directory", Narrow(""), readMe, readMe},
        {"plain directory", Narrow("C:\\dir"), readMe, Narrow("C:\\dir\\ReadMe_Velmoran.txt")},
        {"backslash-ended", Narrow("C:\\dir\\"), readMe, Narrow("C:\\dir\\ReadMe_Velmoran.txt")},
        {"slash-ended", Narrow("C:/dir/"), readMe, Narrow("C:/dir/ReadMe_Velmoran.txt")},
        {"root of a drive", Narrow("C:"), readMe, Narrow("C:\\ReadMe_Velmoran.txt")},
        {"shift-jis 83 5C ended", Narrow("C:\\\x83\x5C"), readMe,
         Narrow("C:\\\x83\x5C\\ReadMe_Velmoran.txt")},
        {"ansi 83 5C ended", Narrow("C:\\\x83\x5C", Ansi), readMe,
         Narrow("C:\\\x83\x5CReadMe_Velmoran.txt", Ansi)},
        {"empty name", Narrow("C:\\dir"), Narrow(""), Narrow("C:\\dir\\")},
        {"both empty", Narrow(""), Narrow(""), Narrow("")},
        {"wide directory, narrow name", Wide(u"C:\\d\u00E9"), readMe,
         Wide(u"C:\\d\u00E9\\ReadMe_Velmoran.txt")},
    };
    for (const JoinRow& row : rows) {
        RawString joined = RawLayer::JoinPath(row.directory, row.name_);
        EXPECT_TRUE(joined.Equals(row.expected)) << row.name;
        EXPECT_EQ(joined.Encoding(), row.directory.Encoding()) << row.name;
        // The room reserved up front holds the whole join.
        EXPECT_EQ(joined.Capacity(), row.directory.Length() + row.name_.Length() + 1) << row.name;
        EXPECT_EQ(joined.Body().UnitAt(joined.Length()), 0) << row.name;
    }
}

}  // namespace
