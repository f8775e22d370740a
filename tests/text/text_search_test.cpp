#include "library/text/text_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "library/text/text_compare.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawString;

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();

// A text of its own (Owned, capacity = length) holding the bytes, or the 16-bit units when the
// encoding is Wide.
RawString Narrow(const std::string& bytes, RawEncoding encoding = RawEncoding::ShiftJis) {
    RawString borrowed =
        RawString::Borrow(bytes.data(), static_cast<std::int32_t>(bytes.size()), encoding);
    return RawString(encoding, borrowed, {0, borrowed.Length()});
}

RawString Wide(const std::u16string& units) {
    RawString borrowed =
        RawString::Borrow(units.data(), static_cast<std::int32_t>(units.size()), RawEncoding::Wide);
    return RawString(RawEncoding::Wide, borrowed, {0, borrowed.Length()});
}

struct IsCharOfRow {
    const char* name;
    RawString text;
    std::int32_t index;
    RawString set;
    bool expected;
};

TEST(text_search_test, is_char_of_tells_membership_inside_the_text_only) {
    const IsCharOfRow rows[] = {
        {"member", Narrow("abc"), 1, Narrow("xb"), true},
        {"not a member", Narrow("abc"), 1, Narrow("xyz"), false},
        {"empty set at 0", Narrow("abc"), 0, Narrow(""), false},
        {"empty set at 2", Narrow("abc"), 2, Narrow(""), false},
        {"index -1", Narrow("abc"), -1, Narrow("abc"), false},
        {"index at the length", Narrow("abc"), 3, Narrow("abc"), false},
        {"most negative index", Narrow("abc"), Min32, Narrow("abc"), false},
        {"empty text", Narrow(""), 0, Narrow("a"), false},
        // Bytes are unsigned unit values: 0xE9 matches the wide unit 0x00E9.
        {"high byte against a wide member", Narrow("\xE9"), 0, Wide(u"\u00E9"), true},
        // A wide unit is compared whole, not by its low byte.
        {"wide unit against its low byte", Wide(u"a\u263A"), 1, Narrow(":"), false},
        {"wide unit against itself", Wide(u"a\u263A"), 1, Wide(u"\u263A"), true},
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
    const RawString blanks = Narrow(" \t");
    const SearchRow rows[] = {
        {"not-of from a negative start", Kind::NotOf, Narrow("  ab"), -5, blanks, 2},
        {"not-of from the most negative start", Kind::NotOf, Narrow("  ab"), Min32, blanks, 2},
        {"not-of from inside", Kind::NotOf, Narrow("a  b"), 1, blanks, 3},
        {"not-of from beyond the end", Kind::NotOf, Narrow("  ab"), 100, blanks, 4},
        {"not-of from the largest start", Kind::NotOf, Narrow("  ab"), Max32, blanks, 4},
        {"not-of over members only", Kind::NotOf, Narrow(" \t \t"), 0, blanks, 4},
        {"not-of over an empty text", Kind::NotOf, Narrow(""), 0, blanks, 0},
        {"not-of with an empty set", Kind::NotOf, Narrow("  "), 0, Narrow(""), 0},
        {"of from a negative start", Kind::Of, Narrow("a b"), -1, blanks, 1},
        {"of from inside", Kind::Of, Narrow("a b c"), 2, blanks, 3},
        {"of from beyond the end", Kind::Of, Narrow("a b"), 99, blanks, 3},
        {"of from the largest start", Kind::Of, Narrow("a b"), Max32, blanks, 3},
        {"of without a match", Kind::Of, Narrow("abc"), 0, blanks, 3},
        {"of over an empty text", Kind::Of, Narrow(""), 0, blanks, 0},
        {"quote from a negative start", Kind::Quote, Narrow("ab\"c"), -3, Narrow(""), 2},
        {"quote from behind the quote", Kind::Quote, Narrow("ab\"c"), 3, Narrow(""), 4},
        {"quote from beyond the end", Kind::Quote, Narrow("ab\"c"), 9, Narrow(""), 4},
        {"quote in wide text", Kind::Quote, Wide(u"ab\"c"), 0, Narrow(""), 2},
    };
    for (const SearchRow& row : rows) {
        EXPECT_EQ(Search(row), row.expected) << row.name;
    }
}

TEST(text_search_test, searches_for_a_unit_step_over_whole_characters_but_not_of_steps_units) {
    const RawString backslash = Narrow("\\");
    const SearchRow rows[] = {
        // 0x83 0x5C is one Shift-JIS character whose second byte is a backslash.
        {"of steps over the second byte", Kind::Of, Narrow("\x83\x5C"), 0, backslash, 2},
        {"of finds the backslash behind it", Kind::Of, Narrow("\x83\x5C\\"), 0, backslash, 2},
        {"not-of sees the second byte", Kind::NotOf, Narrow("\x83\x5C"), 0, Narrow("\x83"), 1},
        {"quote steps over a second byte 0x22", Kind::Quote, Narrow("\x81\x22\""), 0, Narrow(""),
         2},
        // A lead byte at the very end steps beyond the text: the answer is still the length.
        {"of over a lone lead byte", Kind::Of, Narrow("\x83"), 0, backslash, 1},
        {"of over a lead byte at the end", Kind::Of, Narrow("ab\x83"), 0, backslash, 3},
        {"ansi has no double-byte characters", Kind::Of,
         Narrow("\x83\x5C", RawEncoding::AnsiCodePage), 0, backslash, 1},
        {"utf-8 steps over a two-byte character", Kind::Of, Narrow("\xC3\xA9\\", RawEncoding::Utf8),
         0, Narrow("\xA9\\"), 2},
        {"wide steps over a surrogate pair", Kind::Of,
         Wide(u"\xD83D\xDE00"
              u"a"),
         0, Wide(u"\xDE00"), 3},
        {"wide not-of sees the low surrogate", Kind::NotOf, Wide(u"\xD83D\xDE00"), 0,
         Wide(u"\xD83D"), 1},
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
        {"two empty texts", Narrow(""), {0, 0}, Narrow(""), {0, 0}, true, true},
        {"two empty ranges", Narrow("abc"), {1, 1}, Narrow("xyz"), {2, 2}, true, true},
        {"(0, 1000) is the whole text",
         Narrow("abc"),
         {0, 1000},
         Narrow("abc"),
         {0, 3},
         true,
         true},
        {"negative start counts from 0",
         Narrow("abc"),
         {-5, 1000},
         Narrow("abc"),
         {0, 3},
         true,
         true},
        {"shorter range", Narrow("abc"), {0, 2}, Narrow("abc"), {0, 3}, false, false},
        {"clamped lengths differ",
         Narrow("abc"),
         {0, 1000},
         Narrow("abcd"),
         {0, 1000},
         false,
         false},
        {"ranges at different places", Narrow("xxabc"), {2, 5}, Narrow("abc"), {0, 3}, true, true},
        {"one unit differs", Narrow("abc"), {0, 3}, Narrow("abd"), {0, 3}, false, false},
        {"narrow and wide", Narrow("abc"), {0, 3}, Wide(u"abc"), {0, 3}, true, true},
        {"high byte and wide unit", Narrow("\xE9"), {0, 1}, Wide(u"\u00E9"), {0, 1}, true, true},
        {"NoTag_1 and lower case",
         Narrow("NoTag_1"),
         {0, 7},
         Narrow("notag_1"),
         {0, 7},
         false,
         true},
        {"lower case first", Narrow("abc"), {0, 3}, Narrow("ABC"), {0, 3}, false, true},
        {"0x5B and 0x7B", Narrow("["), {0, 1}, Narrow("{"), {0, 1}, false, false},
        {"0x40 and 0x60", Narrow("@"), {0, 1}, Narrow("`"), {0, 1}, false, false},
        {"0xE9 and 0xC9", Narrow("\xE9"), {0, 1}, Narrow("\xC9"), {0, 1}, false, false},
        {"full-width letters", Wide(u"\uFF41"), {0, 1}, Wide(u"\uFF21"), {0, 1}, false, false},
        {"wide unit with a letter as low byte",
         Wide(u"\u0161"),
         {0, 1},
         Narrow("A"),
         {0, 1},
         false,
         false},
        // Inverted ranges count as negative lengths: equal only when those are equal.
        {"inverted ranges of equal span", Narrow("abc"), {2, 1}, Narrow("xyz"), {3, 2}, true, true},
        {"inverted range against an empty one",
         Narrow("abc"),
         {2, 1},
         Narrow("abc"),
         {0, 0},
         false,
         false},
        {"extreme ranges",
         Narrow("abc"),
         {Max32, Min32},
         Narrow("abc"),
         {Max32, Min32},
         true,
         true},
        {"extreme range against an empty one",
         Narrow("abc"),
         {Max32, Min32},
         Narrow(""),
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
    const RawString ab = Narrow("ab");
    EXPECT_FALSE(RawLayer::RangeEquals(unreadable, {0, 3}, ab, {0, 2}));
    EXPECT_FALSE(RawLayer::RangeEqualsNoCase(unreadable, {0, 3}, ab, {0, 2}));
    EXPECT_TRUE(RawLayer::RangeEquals(unreadable, {1, 1}, ab, {2, 2}));
    EXPECT_TRUE(RawLayer::RangeEqualsNoCase(unreadable, {3, 3}, ab, {0, 0}));
}

}  // namespace
