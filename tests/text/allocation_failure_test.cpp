// Every allocation of every operation is made to fail in turn: the operation must leave its
// objects as they were, and (under LeakSanitizer) nothing it had built may stay behind.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "library/text/raw_string.h"
#include "library/text/raw_string_body.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawStorageKind;
using RawLayer::RawString;
using RawLayer::RawStringBody;
using namespace RawLayer::Testing;

// What a handle shows of itself, to be compared before and after a failed operation.
struct Snapshot {
    const RawStringBody* body;
    const void* text;
    RawStorageKind storage;
    RawEncoding encoding;
    std::int32_t length;
    std::int32_t capacity;
    std::int32_t holders;
    std::u16string units;
};

Snapshot Take(const RawString& text) {
    return {&text.Body(),  text.Text(),     text.Body().storage, text.Encoding(),
            text.Length(), text.Capacity(), Holders(text),       UnitsOf(text)};
}

void ExpectUnchanged(const Snapshot& before, const RawString& text) {
    Snapshot now = Take(text);
    EXPECT_EQ(now.body, before.body);
    EXPECT_EQ(now.text, before.text);
    EXPECT_EQ(now.storage, before.storage);
    EXPECT_EQ(now.encoding, before.encoding);
    EXPECT_EQ(now.length, before.length);
    EXPECT_EQ(now.capacity, before.capacity);
    EXPECT_EQ(now.holders, before.holders);
    EXPECT_EQ(now.units, before.units);
}

const char literalText[] = "literal";
const char borrowedText[] = "borrowed text";

TEST(allocation_failure_test, make_writable_keeps_the_handle_on_its_old_body) {
    const struct {
        const char* name;
        RawString (*make)();
        bool shared;
    } rows[] = {
        {"shared Owned", [] { return TextOf("owned"); }, true},
        {"shared Literal", [] { return RawString::FromLiteral(literalText); }, true},
        {"lone Literal", [] { return RawString::FromLiteral(literalText); }, false},
        {"lone Borrowed", [] { return RawString::Borrow(borrowedText, 13, RawEncoding::Utf8); },
         false},
        {"shared Wide", [] { return WideOf(u"wide text"); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString text = row.make();
        RawString other;
        if (row.shared) {
            other = text;
        }
        Snapshot before = Take(text);
        Snapshot otherBefore = Take(other);

        int points = ForEachAllocationFailure([&] { text.MakeWritable(); },
                                              [&] {
                                                  ExpectUnchanged(before, text);
                                                  ExpectUnchanged(otherBefore, other);
                                              });

        EXPECT_EQ(points, 2) << "the body and its text";
        EXPECT_NE(&text.Body(), before.body);
        EXPECT_EQ(UnitsOf(text), before.units);
        EXPECT_EQ(Holders(text), 0);
        EXPECT_EQ(Holders(other), 0);
    }
}

TEST(allocation_failure_test, assign_keeps_the_handle_on_its_old_body) {
    const struct {
        const char* name;
        RawEncoding encoding;
        RawString (*source)();
        int points;
    } rows[] = {
        {"copy of borrowed text", RawEncoding::Utf8,
         [] { return RawString::Borrow(borrowedText, 13, RawEncoding::Utf8); }, 2},
        {"Wide into UTF-16 bytes", RawEncoding::Utf16BigEndian, [] { return WideOf(u"wide"); }, 2},
        {"UTF-16 bytes into Wide", RawEncoding::Wide,
         [] { return TextOf(std::string("w\0i\0", 4), RawEncoding::Utf16LittleEndian); }, 2},
        {"one byte order into the other", RawEncoding::Utf16LittleEndian,
         [] { return TextOf(std::string("\0w\0i", 4), RawEncoding::Utf16BigEndian); }, 3},
        {"Utf8 into ShiftJis", RawEncoding::ShiftJis,
         [] { return TextOf("\xE6\x97\xA5", RawEncoding::Utf8); }, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString source = row.source();
        RawString text = TextOf("old text");
        RawString alsoOld(text);
        Snapshot before = Take(text);
        Snapshot sourceBefore = Take(source);

        int points = ForEachAllocationFailure(
            [&] {
                if (row.encoding == source.Encoding()) {
                    text.Assign(source);
                } else {
                    text.AssignAs(row.encoding, source);
                }
            },
            [&] {
                ExpectUnchanged(before, text);
                ExpectUnchanged(sourceBefore, source);
            });

        EXPECT_EQ(points, row.points);
        EXPECT_EQ(text.Encoding(), row.encoding);
        EXPECT_EQ(Holders(alsoOld), 0);
        EXPECT_EQ(BytesOf(alsoOld), "old text");
    }
}

TEST(allocation_failure_test, reserve_and_append_keep_the_old_text) {
    const struct {
        const char* name;
        void (*operation)(RawString&);
    } rows[] = {
        {"Reserve", [](RawString& text) { BodyOf(text).Reserve(50); }},
        {"EnsureRoom", [](RawString& text) { text.EnsureRoom(30); }},
        {"AppendIndent", [](RawString& text) { text.AppendIndent(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString text(RawEncoding::Wide, 4);
        for (std::int32_t i = 0; i < 4; ++i) {
            text.SetUnit(i, static_cast<std::uint16_t>(0x3041 + i));
        }
        text.SetLength(4);
        Snapshot before = Take(text);

        int points = ForEachAllocationFailure([&] { row.operation(text); },
                                              [&] { ExpectUnchanged(before, text); });

        EXPECT_EQ(points, 1);
        EXPECT_EQ(UnitsOf(text).substr(0, 4), before.units);
    }
}

TEST(allocation_failure_test, a_failed_conversion_keeps_the_body_text) {
    const struct {
        const char* name;
        RawString (*make)();
        void (*convert)(RawStringBody&);
    } rows[] = {
        {"ConvertToWide",
         [] { return TextOf(std::string("a\0b\0", 4), RawEncoding::Utf16LittleEndian); },
         [](RawStringBody& body) { body.ConvertToWide(); }},
        {"ConvertToWide through a code page", [] { return TextOf("ab", RawEncoding::ShiftJis); },
         [](RawStringBody& body) { body.ConvertToWide(); }},
        {"ConvertToNarrow", [] { return WideOf(u"ab"); },
         [](RawStringBody& body) { body.ConvertToNarrow(RawEncoding::Utf16BigEndian); }},
        {"ConvertToNarrow through a code page", [] { return WideOf(u"ab"); },
         [](RawStringBody& body) { body.ConvertToNarrow(RawEncoding::Utf8); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString text = row.make();
        Snapshot before = Take(text);

        int points = ForEachAllocationFailure([&] { row.convert(BodyOf(text)); },
                                              [&] { ExpectUnchanged(before, text); });

        EXPECT_EQ(points, 1);
        EXPECT_NE(text.Encoding(), before.encoding);
    }
}

TEST(allocation_failure_test, constructors_free_what_they_had_built) {
    RawString source = TextOf("abcdef", RawEncoding::Utf16BigEndian);
    RawString wideSource = WideOf(u"abcdef");
    RawString borrowed = RawString::Borrow(borrowedText, 13, RawEncoding::ShiftJis);
    const struct {
        const char* name;
        RawString (*construct)(const RawString& source, const RawString& wide,
                               const RawString& borrowed);
        int points;
    } rows[] = {
        {"capacity",
         [](const RawString&, const RawString&, const RawString&) {
             return RawString(RawEncoding::Wide, 40);
         },
         2},
        {"range, same encoding",
         [](const RawString& source, const RawString&, const RawString&) {
             return RawString(RawEncoding::Utf16BigEndian, source, RawRange{1, 5});
         },
         2},
        {"range into Wide",
         [](const RawString& source, const RawString&, const RawString&) {
             return RawString(RawEncoding::Wide, source, RawRange{0, 4});
         },
         2},
        {"range into the other byte order",
         [](const RawString& source, const RawString&, const RawString&) {
             return RawString(RawEncoding::Utf16LittleEndian, source, RawRange{0, 4});
         },
         3},
        {"range from Wide into a code page",
         [](const RawString&, const RawString& wide, const RawString&) {
             return RawString(RawEncoding::Utf8, wide, RawRange{2, 4});
         },
         2},
        {"copy of borrowed text",
         [](const RawString&, const RawString&, const RawString& borrowed) {
             return RawString(borrowed);
         },
         2},
        {"converting",
         [](const RawString& source, const RawString&, const RawString&) {
             return RawString(source, RawEncoding::Wide);
         },
         2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Snapshot sourceBefore = Take(source);
        Snapshot wideBefore = Take(wideSource);
        Snapshot borrowedBefore = Take(borrowed);
        int points = ForEachAllocationFailure(
            [&] { RawString built = row.construct(source, wideSource, borrowed); },
            [&] {
                ExpectUnchanged(sourceBefore, source);
                ExpectUnchanged(wideBefore, wideSource);
                ExpectUnchanged(borrowedBefore, borrowed);
            });
        EXPECT_EQ(points, row.points);
    }
}

// A literal that is detected as UTF-8 is converted when its constant is built, so that
// building it allocates at several points.
const RawString& KanjiConstant() {
    static const RawString text = RawString::Constant("\xE6\x97\xA5\xE6\x9C\xAC");
    return text;
}

TEST(allocation_failure_test, a_constant_that_failed_to_build_is_built_by_the_next_call) {
    int points = ForEachAllocationFailure([] { KanjiConstant(); }, [] {});
    // The literal's body, the temporary's, the converted body and its wide and narrow texts.
    EXPECT_EQ(points, 5);

    int allocationsLater = 0;
    {
        FailingAllocation counting(INT_MAX);
        const RawString& first = KanjiConstant();
        const RawString& second = KanjiConstant();
        EXPECT_EQ(&first, &second);
        allocationsLater = counting.Count();
    }
    EXPECT_EQ(allocationsLater, 0);
    EXPECT_EQ(KanjiConstant().Encoding(), RawEncoding::ShiftJis);
    EXPECT_EQ(KanjiConstant().Body().storage, RawStorageKind::Owned);
    EXPECT_EQ(Holders(KanjiConstant()), 0);
    EXPECT_EQ(BytesOf(KanjiConstant()), "\x93\xFA\x96\x7B");
}

}  // namespace
