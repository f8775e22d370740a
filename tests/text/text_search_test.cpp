#include "library/text/text_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "library/text/text_compare.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawString;
using namespace RawLayer::Testing;

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();

struct IsCharOfRow {
    const char* name;
    RawString text;
    std::int32_t index;
    RawString set;
    bool expected;
};

TEST(text_search_test, is_char_of_tells_membership_inside_the_text_only) {
    const IsCharOfRow rows[] = {
        {"member", ExactTextOf("abc"), 1, ExactTextOf("xb"), true},
        {"not a member", ExactTextOf("abc"), 1, ExactTextOf("xyz"), false},
        {"empty set at 0", ExactTextOf("abc"), 0, ExactTextOf(""), false},
        {"empty set at 2", ExactTextOf("abc"), 2, ExactTextOf(""), false},
        {"index -1", ExactTextOf("abc"), -1, ExactTextOf("abc"), false},
        {"index at the length", ExactTextOf("abc"), 3, ExactTextOf("abc"), false},
        {"most negative index", ExactTextOf("abc"), Min32, ExactTextOf("abc"), false},
        {"empty text", ExactTextOf(""), 0, ExactTextOf("a"), false},
        // Bytes are unsigned unit values: 0xE9 matches the wide unit 0x00E9.
        {"high byte against a wide member", ExactTextOf("\xE9"), 0, ExactWideOf(u"\u00E9"), true},
        // A wide unit is compared whole, not by its low byte.
        {"wide unit against its low byte", ExactWideOf(u"a\u263A"), 1, ExactTextOf(":"), false},
        {"wide unit against itself", ExactWideOf(u"a\u263A"), 1, ExactWideOf(u"\u263A"), true},
    };
    for (const IsCharOfRow& row : rows) {
        EXPECT_EQ(RawLayer::IsCharOf(row.text, row.index, row.set), row.expected) << row.name;
    }
}

enum class Kind { NotOf, Of, Quote };

struct SearchRow {
    const char* name;
    Kind kind;
    RawString text;
    std::int32_t start;
    RawString set;
    std::int32_t expected;
};

std::int32_t Search(const SearchRow& row) {
    switch (row.kind) {
        case Kind::NotOf:
            return RawLayer::FindNotOf(row.text, row.start, row.set);
        case Kind::Of:
            return RawLayer::FindOf(row.text, row.start, row.set);
        case Kind::Quote:
            return RawLayer::FindQuote(row.text, row.start);
    }
    return -1;
}

TEST(text_search_test,
     forward_searches_clamp_the_start_and_return_the_length_when_nothing_is_found) {
    const RawString blanks = ExactTextOf(" \t");
    const SearchRow rows[] = {
        {"not-of from a negative start", Kind::NotOf, ExactTextOf("  ab"), -5, blanks, 2},
        {"not-of from the most negative start", Kind::NotOf, ExactTextOf("  ab"), Min32, blanks, 2},
        {"not-of from inside", Kind::NotOf, ExactTextOf("a  b"), 1, blanks, 3},
        {"not-of from beyond the end", Kind::NotOf, ExactTextOf("  ab"), 100, blanks, 4},
        {"not-of from the largest start", Kind::NotOf, ExactTextOf("  ab"), Max32, blanks, 4},
        {"not-of over members only", Kind::NotOf, ExactTextOf(" \t \t"), 0, blanks, 4},
        {"not-of over an empty text", Kind::NotOf, ExactTextOf(""), 0, blanks, 0},
        {"not-of with an empty set", Kind::NotOf, ExactTextOf("  "), 0, ExactTextOf(""), 0},
        {"of from a negative start", Kind::Of, ExactTextOf("a b"), -1, blanks, 1},
        {"of from inside", Kind::Of, ExactTextOf("a b c"), 2, blanks, 3},
        {"of from beyond the end", Kind::Of, ExactTextOf("a b"), 99, blanks, 3},
        {"of from the largest start", Kind::Of, ExactTextOf("a b"), Max32, blanks, 3},
        {"of without a match", Kind::Of, ExactTextOf("abc"), 0, blanks, 3},
        {"of over an empty text", Kind::Of, ExactTextOf(""), 0, blanks, 0},
        {"quote from a negative start", Kind::Quote, ExactTextOf("ab\"c"), -3, ExactTextOf(""), 2},
        {"quote from behind the quote", Kind::Quote, ExactTextOf("ab\"c"), 3, ExactTextOf(""), 4},
        {"quote from beyond the end", Kind::Quote, ExactTextOf("ab\"c"), 9, ExactTextOf(""), 4},
        {"quote in wide text", Kind::Quote, ExactWideOf(u"ab\"c"), 0, ExactTextOf(""), 2},
    };
    for (const SearchRow& row : rows) {
        EXPECT_EQ(Search(row), row.expected) << row.name;
    }
}

TEST(text_search_test, searches_for_a_unit_step_over_whole_characters_but_not_of_steps_units) {
    const RawString backslash = ExactTextOf("\\");
    const SearchRow rows[] = {
        // 0x83 0x5C is one Shift-JIS character whose second byte is a backslash.
        {"of steps over the second byte", Kind::Of, ExactTextOf("\x83\x5C"), 0, backslash, 2},
        {"of finds the backslash behind it", Kind::Of, ExactTextOf("\x83\x5C\\"), 0, backslash, 2},
        {"not-of sees the second byte", Kind::NotOf, ExactTextOf("\x83\x5C"), 0,
         ExactTextOf("\x83"), 1},
        {"quote steps over a second byte 0x22", Kind::Quote, ExactTextOf("\x81\x22\""), 0,
         ExactTextOf(""), 2},
        // A lead byte at the very end steps beyond the text: the answer is still the length.
        {"of over a lone lead byte", Kind::Of, ExactTextOf("\x83"), 0, backslash, 1},
        {"of over a lead byte at the end", Kind::Of, ExactTextOf("ab\x83"), 0, backslash, 3},
        {"ansi has no double-byte characters", Kind::Of,
         ExactTextOf("\x83\x5C", RawEncoding::AnsiCodePage), 0, backslash, 1},
        {"utf-8 steps over a two-byte character", Kind::Of,
         ExactTextOf("\xC3\xA9\\", RawEncoding::Utf8), 0, ExactTextOf("\xA9\\"), 2},
        {"wide steps over a surrogate pair", Kind::Of,
         ExactWideOf(u"\xD83D\xDE00"
                     u"a"),
         0, ExactWideOf(u"\xDE00"), 3},
        {"wide not-of sees the low surrogate", Kind::NotOf, ExactWideOf(u"\xD83D\xDE00"), 0,
         ExactWideOf(u"\xD83D"), 1},
    };
    for (const SearchRow& row : rows) {
        EXPECT_EQ(Search(row), row.expected) << row.name;
    }
}

struct CompareRow {
    const char* name;
    RawString text;
    RawRange range;
    RawString other;
    RawRange otherRange;
    bool exact;
    bool noCase;
};

TEST(text_search_test, range_comparisons_clamp_both_ranges_and_compare_unit_values) {
    const CompareRow rows[] = {
        {"two empty texts", ExactTextOf(""), {0, 0}, ExactTextOf(""), {0, 0}, true, true},
        {"two empty ranges", ExactTextOf("abc"), {1, 1}, ExactTextOf("xyz"), {2, 2}, true, true},
        {"(0, 1000) is the whole text",
         ExactTextOf("abc"),
         {0, 1000},
         ExactTextOf("abc"),
         {0, 3},
         true,
         true},
        {"negative start counts from 0",
         ExactTextOf("abc"),
         {-5, 1000},
         ExactTextOf("abc"),
         {0, 3},
         true,
         true},
        {"shorter range", ExactTextOf("abc"), {0, 2}, ExactTextOf("abc"), {0, 3}, false, false},
        {"clamped lengths differ",
         ExactTextOf("abc"),
         {0, 1000},
         ExactTextOf("abcd"),
         {0, 1000},
         false,
         false},
        {"ranges at different places",
         ExactTextOf("xxabc"),
         {2, 5},
         ExactTextOf("abc"),
         {0, 3},
         true,
         true},
        {"one unit differs", ExactTextOf("abc"), {0, 3}, ExactTextOf("abd"), {0, 3}, false, false},
        {"narrow and wide", ExactTextOf("abc"), {0, 3}, ExactWideOf(u"abc"), {0, 3}, true, true},
        {"high byte and wide unit",
         ExactTextOf("\xE9"),
         {0, 1},
         ExactWideOf(u"\u00E9"),
         {0, 1},
         true,
         true},
        {"NoTag_1 and lower case",
         ExactTextOf("NoTag_1"),
         {0, 7},
         ExactTextOf("notag_1"),
         {0, 7},
         false,
         true},
        {"lower case first", ExactTextOf("abc"), {0, 3}, ExactTextOf("ABC"), {0, 3}, false, true},
        {"0x5B and 0x7B", ExactTextOf("["), {0, 1}, ExactTextOf("{"), {0, 1}, false, false},
        {"0x40 and 0x60", ExactTextOf("@"), {0, 1}, ExactTextOf("`"), {0, 1}, false, false},
        {"0xE9 and 0xC9", ExactTextOf("\xE9"), {0, 1}, ExactTextOf("\xC9"), {0, 1}, false, false},
        {"full-width letters",
         ExactWideOf(u"\uFF41"),
         {0, 1},
         ExactWideOf(u"\uFF21"),
         {0, 1},
         false,
         false},
        {"wide unit with a letter as low byte",
         ExactWideOf(u"\u0161"),
         {0, 1},
         ExactTextOf("A"),
         {0, 1},
         false,
         false},
        // Inverted ranges count as negative lengths: equal only when those are equal.
        {"inverted ranges of equal span",
         ExactTextOf("abc"),
         {2, 1},
         ExactTextOf("xyz"),
         {3, 2},
         true,
         true},
        {"inverted range against an empty one",
         ExactTextOf("abc"),
         {2, 1},
         ExactTextOf("abc"),
         {0, 0},
         false,
         false},
        {"extreme ranges",
         ExactTextOf("abc"),
         {Max32, Min32},
         ExactTextOf("abc"),
         {Max32, Min32},
         true,
         true},
        {"extreme range against an empty one",
         ExactTextOf("abc"),
         {Max32, Min32},
         ExactTextOf(""),
         {0, 0},
         false,
         false},
    };
    for (const CompareRow& row : rows) {
        EXPECT_EQ(RawLayer::RangeEquals(row.text, row.range, row.other, row.otherRange), row.exact)
            << row.name;
        EXPECT_EQ(RawLayer::RangeEqualsNoCase(row.text, row.range, row.other, row.otherRange),
                  row.noCase)
            << row.name;
        // Equality does not depend on which text is asked.
        EXPECT_EQ(RawLayer::RangeEquals(row.other, row.otherRange, row.text, row.range), row.exact)
            << row.name;
        EXPECT_EQ(RawLayer::RangeEqualsNoCase(row.other, row.otherRange, row.text, row.range),
                  row.noCase)
            << row.name;
    }
}

TEST(text_search_test, range_comparisons_of_different_lengths_read_no_unit) {
    // A text whose units cannot be read: any read faults.
    const RawString unreadable = RawString::Borrow(nullptr, 3, RawEncoding::ShiftJis);
    const RawString ab = ExactTextOf("ab");
    EXPECT_FALSE(RawLayer::RangeEquals(unreadable, {0, 3}, ab, {0, 2}));
    EXPECT_FALSE(RawLayer::RangeEqualsNoCase(unreadable, {0, 3}, ab, {0, 2}));
    EXPECT_TRUE(RawLayer::RangeEquals(unreadable, {1, 1}, ab, {2, 2}));
    EXPECT_TRUE(RawLayer::RangeEqualsNoCase(unreadable, {3, 3}, ab, {0, 0}));
}

}  // namespace
