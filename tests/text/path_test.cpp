#include "library/text/path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawString;
using namespace RawLayer::Testing;

constexpr RawEncoding ShiftJis = RawEncoding::ShiftJis;
constexpr RawEncoding Ansi = RawEncoding::AnsiCodePage;

struct SeparatorRow {
    const char* name;
    RawString text;
    std::int32_t index;
    bool expected;
};

TEST(path_test, is_path_separator_tells_separators_from_second_bytes_of_shift_jis) {
    const SeparatorRow rows[] = {
        {"83 5C", ExactTextOf("\x83\x5C"), 1, false},
        {"83 83 5C", ExactTextOf("\x83\x83\x5C"), 2, true},
        {"83 83 83 5C", ExactTextOf("\x83\x83\x83\x5C"), 3, false},
        {"81 41 83 5C", ExactTextOf("\x81\x41\x83\x5C"), 3, false},
        {"a 83 5C", ExactTextOf("a\x83\x5C"), 2, false},
        {"5C at 0", ExactTextOf("\\"), 0, true},
        {"5C at 0 before a lead byte", ExactTextOf("\\\x83"), 0, true},
        {"a 5C", ExactTextOf("a\\"), 1, true},
        {"83 2F", ExactTextOf("\x83/"), 1, false},
        {"83 83 2F", ExactTextOf("\x83\x83/"), 2, true},
        {"2F at 0", ExactTextOf("/"), 0, true},
        {"9F 5C", ExactTextOf("\x9F\x5C"), 1, false},
        {"E0 5C", ExactTextOf("\xE0\x5C"), 1, false},
        {"EF 5C", ExactTextOf("\xEF\x5C"), 1, false},
        {"E0 E0 5C", ExactTextOf("\xE0\xE0\x5C"), 2, true},
        {"80 5C", ExactTextOf("\x80\x5C"), 1, true},
        {"A0 5C", ExactTextOf("\xA0\x5C"), 1, true},
        {"F0 5C", ExactTextOf("\xF0\x5C"), 1, true},
        {"not a separator", ExactTextOf("a:"), 1, false},
        {"index -1", ExactTextOf("\\"), -1, false},
        {"index at the length", ExactTextOf("a\\"), 2, false},
        {"most negative index", ExactTextOf("\\"), std::numeric_limits<std::int32_t>::min(), false},
        {"ansi 83 5C", ExactTextOf("\x83\x5C", Ansi), 1, true},
        {"ansi 83 2F", ExactTextOf("\x83/", Ansi), 1, true},
        {"utf-8 83 5C", ExactTextOf("\x83\x5C", RawEncoding::Utf8), 1, true},
        {"wide 83 5C", ExactWideOf(u"\u0083\\"), 1, true},
        {"wide 8D5C", ExactWideOf(u"\u8D5C"), 0, false},
        {"wide slash after a lead-like unit", ExactWideOf(u"\u0083/"), 1, true},
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
        {"(0, 3) without separators", ExactTextOf("abcdef"), {0, 3}, 3},
        {"whole text without separators", ExactTextOf("abcdef"), {0, 100}, 6},
        {"both separators", ExactTextOf("a\\b/c"), {0, 100}, 3},
        {"range before the last", ExactTextOf("a\\b/c"), {0, 3}, 1},
        {"negative start", ExactTextOf("a\\b/c"), {-5, 2}, 1},
        {"range between them", ExactTextOf("a\\b/c"), {2, 3}, 3},
        {"empty range", ExactTextOf("a\\b/c"), {4, 4}, 4},
        {"inverted range", ExactTextOf("a\\b/c"), {5, 2}, 2},
        {"negative end", ExactTextOf("a\\b/c"), {0, -3}, 0},
        {"start beyond the end", ExactTextOf("a\\b"), {9, 100}, 3},
        {"empty text", ExactTextOf(""), {0, 10}, 0},
        {"second byte 5C is stepped over", ExactTextOf("a\\\x83\x5C"), {0, 4}, 1},
        {"ansi has no second bytes", ExactTextOf("a\\\x83\x5C", Ansi), {0, 4}, 3},
        {"wide", ExactWideOf(u"C:\\d\u8D5C/x"), {0, 7}, 5},
        {"wide lone high surrogate before a separator", ExactWideOf(u"a\xD800\\b"), {0, 4}, 2},
    };
    for (const LastRow& row : rows) {
        EXPECT_EQ(RawLayer::FindLastSeparator(row.text, row.range), row.expected) << row.name;
    }
}

TEST(path_test, find_last_of_keeps_the_last_member_of_the_range) {
    const RawString& delimiters = RawLayer::PathDelimiters();
    const LastRow rows[] = {
        {"last dot", ExactTextOf("a.b.c"), {0, 5}, 3},
        {"separator after the dot", ExactTextOf("d.x\\file"), {0, 8}, 3},
        {"dot after the separator", ExactTextOf("d\\f.exe"), {0, 7}, 3},
        {"none", ExactTextOf("file"), {0, 4}, 4},
        {"range ends before the dot", ExactTextOf("a\\b.c"), {0, 3}, 1},
        {"second byte 5C is stepped over", ExactTextOf("a.\x83\x5C"), {0, 4}, 1},
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
        {ExactTextOf("C:\\dir\\file.exe"), 6},
        {ExactTextOf("C:\\file.exe"), 2},
        {ExactTextOf("\\file"), 0},
        {ExactTextOf("file"), 0},
        {ExactTextOf(""), 0},
        {ExactTextOf("a/b\\c"), 3},
        {ExactTextOf("dir\\"), 3},
        {ExactTextOf("C:\\\x83\x5C\\x"), 5},
        {ExactTextOf("C:\\\x83\x5Cx"), 2},
        {ExactTextOf("\x83\x5Cx"), 0},
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
    const RawString readMe = ExactTextOf("ReadMe_Velmoran.txt");
    const JoinRow rows[] = {
        {"empty directory", ExactTextOf(""), readMe, readMe},
        {"plain directory", ExactTextOf("C:\\dir"), readMe,
         ExactTextOf("C:\\dir\\ReadMe_Velmoran.txt")},
        {"backslash-ended", ExactTextOf("C:\\dir\\"), readMe,
         ExactTextOf("C:\\dir\\ReadMe_Velmoran.txt")},
        {"slash-ended", ExactTextOf("C:/dir/"), readMe, ExactTextOf("C:/dir/ReadMe_Velmoran.txt")},
        {"root of a drive", ExactTextOf("C:"), readMe, ExactTextOf("C:\\ReadMe_Velmoran.txt")},
        {"shift-jis 83 5C ended", ExactTextOf("C:\\\x83\x5C"), readMe,
         ExactTextOf("C:\\\x83\x5C\\ReadMe_Velmoran.txt")},
        {"ansi 83 5C ended", ExactTextOf("C:\\\x83\x5C", Ansi), readMe,
         ExactTextOf("C:\\\x83\x5CReadMe_Velmoran.txt", Ansi)},
        {"empty name", ExactTextOf("C:\\dir"), ExactTextOf(""), ExactTextOf("C:\\dir\\")},
        {"both empty", ExactTextOf(""), ExactTextOf(""), ExactTextOf("")},
        {"wide directory, narrow name", ExactWideOf(u"C:\\d\u00E9"), readMe,
         ExactWideOf(u"C:\\d\u00E9\\ReadMe_Velmoran.txt")},
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
