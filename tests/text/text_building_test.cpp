#include "library/text/text_building.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <string>

#include "tests/support/text_samples.h"

namespace {

using RawLayer::EmptyText;
using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawStorageKind;
using RawLayer::RawString;
using namespace RawLayer::Testing;

// The units of the text followed by the unit at its length, which must be the terminator.
std::u16string UnitsWithTerminator(const RawString& text) {
    std::u16string units;
    for (std::int32_t i = 0; i <= text.Length(); ++i) {
        units += static_cast<char16_t>(text.Body().UnitAt(i));
    }
    return units;
}

std::u16string Terminated(std::u16string units) {
    return units + u'\0';
}

TEST(text_building_test, append_char_stores_the_low_byte_into_narrow_text_and_the_unit_into_wide) {
    RawString narrow = ExactTextOf("ab");
    RawLayer::AppendChar(narrow, 0x263A);
    EXPECT_EQ(UnitsWithTerminator(narrow), Terminated(u"ab\x3A"));

    RawString wide = ExactWideOf(u"ab");
    RawLayer::AppendChar(wide, 0x263A);
    EXPECT_EQ(UnitsWithTerminator(wide), Terminated(u"ab\u263A"));
}

TEST(text_building_test, append_range_copies_units_in_the_receivers_width) {
    RawString narrow = ExactTextOf("x");
    RawLayer::AppendRange(narrow, ExactWideOf(u"a\u263Ab"), {1, 3});
    EXPECT_EQ(UnitsWithTerminator(narrow), Terminated(u"x\x3A"
                                                      u"b"));

    RawString wide = ExactWideOf(u"x");
    RawLayer::AppendRange(wide, ExactTextOf("\xE9\x83\x5C"), {0, 3});
    EXPECT_EQ(UnitsWithTerminator(wide), Terminated(u"x\u00E9\u0083\u005C"));
}

TEST(text_building_test, append_range_of_an_empty_or_inverted_range_does_not_touch_the_text) {
    const RawString source = ExactTextOf("source");
    const RawRange ranges[] = {
        {2, 2}, {3, 1}, {0, -1}, {1, std::numeric_limits<std::int32_t>::min()}};
    for (const RawRange& range : ranges) {
        // Shared: making it writable would give it a body of its own.
        RawString text = ExactTextOf("abc");
        RawString other = text;
        const RawLayer::RawStringBody* body = &text.Body();
        RawLayer::AppendRange(text, source, range);
        EXPECT_EQ(&text.Body(), body) << range.start << ", " << range.end;
        EXPECT_EQ(body->extraHolders, 1) << range.start << ", " << range.end;
        EXPECT_EQ(text.Length(), 3);

        // A literal would be copied by making it writable.
        RawString literal = RawString::FromLiteral("lit");
        RawLayer::AppendRange(literal, source, range);
        EXPECT_EQ(literal.Body().storage, RawStorageKind::Literal);
    }
}

struct GrowthRow {
    const char* append;
    std::function<void(RawString&)> appendOne;
};

TEST(text_building_test, appends_grow_a_short_text_by_the_growth_rule_and_keep_room_that_suffices) {
    const RawString one = ExactTextOf("z");
    const GrowthRow appends[] = {
        {"AppendChar", [](RawString& text) { RawLayer::AppendChar(text, 'z'); }},
        {"AppendRange",
         [&](RawString& text) {
             RawLayer::AppendRange(text, one, {0, 1});
         }},
        {"AppendStrings",
         [&](RawString& text) {
             RawLayer::AppendStrings(text, EmptyText(), one, EmptyText(), EmptyText(), EmptyText());
         }},
    };
    struct Case {
        std::int32_t length;
        std::int32_t capacityAfter;
    };
    // Full texts (capacity = length): one more unit needs n = length + 1.
    const Case cases[] = {{0, 22}, {198, 418}, {199, 500}};
    for (const GrowthRow& append : appends) {
        for (const Case& growth : cases) {
            RawString text =
                growth.length == 0 ? RawString() : ExactTextOf(std::string(growth.length, 'a'));
            ASSERT_EQ(text.Capacity(), growth.length);
            append.appendOne(text);
            EXPECT_EQ(text.Length(), growth.length + 1) << append.append;
            EXPECT_EQ(text.Capacity(), growth.capacityAfter)
                << append.append << " onto " << growth.length;
            EXPECT_EQ(text.Body().UnitAt(text.Length()), 0) << append.append;
        }
        // Room that suffices is kept: no new buffer.
        RawString roomy(RawEncoding::ShiftJis, 5);
        const void* buffer = roomy.Text();
        append.appendOne(roomy);
        EXPECT_EQ(roomy.Capacity(), 5) << append.append;
        EXPECT_EQ(roomy.Text(), buffer) << append.append;
    }
}

TEST(text_building_test, append_strings_reserves_once_for_all_pieces) {
    RawString text = ExactTextOf("ab");
    const std::string a(100, 'a'), b(50, 'b'), c(30, 'c'), d(20, 'd');
    RawLayer::AppendStrings(text, ExactTextOf(a), ExactTextOf(b), ExactTextOf(c), EmptyText(),
                            ExactTextOf(d));
    EXPECT_EQ(text.Length(), 202);
    // Growing piece by piece would have stopped at 224 (the room for 102).
    EXPECT_EQ(text.Capacity(), 504);
    EXPECT_TRUE(text.Equals(ExactTextOf("ab" + a + b + c + d)));
}

TEST(text_building_test, append_strings_takes_the_pieces_lengths_before_appending) {
    RawString text = ExactTextOf("ab");
    RawLayer::AppendStrings(text, text, text, EmptyText(), text, EmptyText());
    EXPECT_TRUE(text.Equals(ExactTextOf("abababab")));
    EXPECT_EQ(text.Body().UnitAt(8), 0);

    // A piece that shares the receiver's body keeps its text.
    RawString receiver = ExactTextOf("xy");
    RawString copy = receiver;
    RawLayer::AppendStrings(receiver, copy, copy, copy, copy, copy);
    EXPECT_TRUE(receiver.Equals(ExactTextOf("xyxyxyxyxyxy")));
    EXPECT_TRUE(copy.Equals(ExactTextOf("xy")));
}

TEST(text_building_test, append_strings_of_mixed_widths_and_empty_first_piece) {
    RawString narrow = ExactTextOf("<");
    RawLayer::AppendStrings(narrow, EmptyText(), ExactWideOf(u"\u263A"), ExactTextOf("b"),
                            EmptyText(), ExactTextOf(">"));
    EXPECT_EQ(UnitsWithTerminator(narrow), Terminated(u"<\x3A"
                                                      u"b>"));

    RawString wide = ExactWideOf(u"<");
    RawLayer::AppendStrings(wide, ExactTextOf("\xE9"), EmptyText(), EmptyText(), EmptyText(),
                            EmptyText());
    EXPECT_EQ(UnitsWithTerminator(wide), Terminated(u"<\u00E9"));

    // Nothing to append leaves an empty text on the shared empty buffer.
    RawString empty;
    RawLayer::AppendStrings(empty, EmptyText(), EmptyText(), EmptyText(), EmptyText(), EmptyText());
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_EQ(empty.Body().storage, RawStorageKind::SharedEmpty);
}

struct IntegerRow {
    std::string prefix;
    std::int64_t value;
    std::string expected;
};

TEST(text_building_test, append_integer_writes_signed_decimal_digits) {
    const IntegerRow rows[] = {
        {"", 0, "0"},
        {"", -1, "-1"},
        {"", 7, "7"},
        {"", 10, "10"},
        {"", -120, "-120"},
        {"x", 1234567890, "x1234567890"},
        // Values around the 16-, 32- and 48-bit limbs the digits are divided in.
        {"", 65535, "65535"},
        {"", 65536, "65536"},
        {"", 4294967295, "4294967295"},
        {"", -4294967296, "-4294967296"},
        {"", 281474976710655, "281474976710655"},
        {"", 281474976710656, "281474976710656"},
        {"", 1000000000000000000, "1000000000000000000"},
        {"", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
        {"", std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
        {"NoTag_", 1, "NoTag_1"},
    };
    for (const IntegerRow& row : rows) {
        RawString text = ExactTextOf(row.prefix);
        RawLayer::AppendInteger(text, row.value);
        EXPECT_TRUE(text.Equals(ExactTextOf(row.expected))) << row.expected;
        EXPECT_EQ(text.Length(), static_cast<std::int32_t>(row.expected.size()));
        EXPECT_EQ(text.Body().UnitAt(text.Length()), 0) << row.expected;

        RawString wide = ExactWideOf(std::u16string(row.prefix.begin(), row.prefix.end()));
        RawLayer::AppendInteger(wide, row.value);
        EXPECT_EQ(UnitsWithTerminator(wide),
                  Terminated(std::u16string(row.expected.begin(), row.expected.end())));
    }
}

TEST(text_building_test, append_integer_reserves_exactly_length_plus_67_when_short) {
    RawString tag = ExactTextOf("NoTag_");
    RawLayer::AppendInteger(tag, 1);
    EXPECT_EQ(tag.Capacity(), 6 + 67);

    RawString empty;
    RawLayer::AppendInteger(empty, -5);
    EXPECT_EQ(empty.Capacity(), 67);

    // One unit short of length + 67: reserved anew, exactly.
    RawString nearly(RawEncoding::ShiftJis, 69);
    RawLayer::AppendStrings(nearly, ExactTextOf("abc"), EmptyText(), EmptyText(), EmptyText(),
                            EmptyText());
    RawLayer::AppendInteger(nearly, 42);
    EXPECT_EQ(nearly.Capacity(), 70);

    // Enough room: kept, same buffer.
    RawString roomy(RawEncoding::ShiftJis, 70);
    RawLayer::AppendStrings(roomy, ExactTextOf("abc"), EmptyText(), EmptyText(), EmptyText(),
                            EmptyText());
    const void* buffer = roomy.Text();
    RawLayer::AppendInteger(roomy, 42);
    EXPECT_EQ(roomy.Capacity(), 70);
    EXPECT_EQ(roomy.Text(), buffer);
    EXPECT_TRUE(roomy.Equals(ExactTextOf("abc42")));

    // A shared receiver gets a text of its own; the other holder keeps "ab".
    RawString shared = ExactTextOf("ab");
    RawString other = shared;
    RawLayer::AppendInteger(shared, 9);
    EXPECT_TRUE(shared.Equals(ExactTextOf("ab9")));
    EXPECT_TRUE(other.Equals(ExactTextOf("ab")));
}

TEST(text_building_test, write_digits_writes_behind_the_length_and_leaves_it_alone) {
    RawString text(RawEncoding::ShiftJis, 30);
    RawLayer::AppendStrings(text, ExactTextOf("ab"), EmptyText(), EmptyText(), EmptyText(),
                            EmptyText());
    EXPECT_EQ(RawLayer::WriteDigits(text, 2, 18446744073709551615u), 22);
    EXPECT_EQ(text.Length(), 2);
    text.SetLength(22);
    EXPECT_TRUE(text.Equals(ExactTextOf("ab18446744073709551615")));
    EXPECT_EQ(RawLayer::WriteDigits(text, 5, 0), 6);
    EXPECT_EQ(text.UnitAt(5), '0');
}

TEST(text_building_test, lengths_beyond_32_bits_fail_as_allocation_failure_and_change_nothing) {
    // Borrowed stretches that claim huge lengths; none of their units may be read.
    static const char some[] = "xy";
    const RawString huge =
        RawString::Borrow(some, std::numeric_limits<std::int32_t>::max(), RawEncoding::ShiftJis);
    const RawString half = RawString::Borrow(some, 0x40000000, RawEncoding::ShiftJis);

    RawString hugeReceiver =
        RawString::Borrow(some, std::numeric_limits<std::int32_t>::max(), RawEncoding::ShiftJis);
    EXPECT_THROW(RawLayer::AppendChar(hugeReceiver, 'a'), std::bad_alloc);
    EXPECT_EQ(hugeReceiver.Body().storage, RawStorageKind::Borrowed);
    EXPECT_EQ(hugeReceiver.Text(), some);

    RawString text = ExactTextOf("ab");
    const void* buffer = text.Text();
    EXPECT_THROW(RawLayer::AppendStrings(text, half, half, EmptyText(), EmptyText(), EmptyText()),
                 std::bad_alloc);
    EXPECT_THROW(RawLayer::AppendRange(text, huge, {0, huge.Length()}), std::bad_alloc);
    EXPECT_EQ(text.Text(), buffer);
    EXPECT_TRUE(text.Equals(ExactTextOf("ab")));
}

}  // namespace
