#include "library/text/raw_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "library/text/raw_string_body.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::GrowthCapacity;
using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawStorageKind;
using RawLayer::RawString;
using RawLayer::RawStringBody;
using namespace RawLayer::Testing;
using Calls = std::vector<std::string>;

// Counts allocations without failing any.
class AllocationCounter {
  public:
    int Count() const { return counting.Count(); }

  private:
    FailingAllocation counting{INT_MAX};
};

TEST(raw_string_test, growth_capacity_doubles_and_adds_20_below_200_else_100) {
    const struct {
        std::int32_t needed;
        std::int32_t capacity;
    } rows[] = {{0, 20}, {1, 22}, {3, 26}, {199, 418}, {200, 500}, {1000, 2100}};
    for (const auto& row : rows) {
        EXPECT_EQ(GrowthCapacity(row.needed), row.capacity) << "needed " << row.needed;
    }
}

TEST(raw_string_test, growth_capacity_of_a_huge_length_still_covers_it) {
    for (std::int32_t needed : {0x40000000, INT_MAX - 1, INT_MAX}) {
        EXPECT_GE(GrowthCapacity(needed), needed - 1) << needed;
        EXPECT_LT(GrowthCapacity(needed), INT_MAX) << "capacity + 1 must stay countable";
    }
}

// A text of the given length in an Owned buffer of exactly the given capacity.
RawString FilledText(std::int32_t length, std::int32_t capacity) {
    RawString text(RawEncoding::ShiftJis, capacity);
    for (std::int32_t i = 0; i < length; ++i) {
        text.SetUnit(i, static_cast<std::uint16_t>('a' + i % 26));
    }
    text.SetLength(length);
    return text;
}

TEST(raw_string_test, append_indent_reserves_by_the_growth_rule_only_when_short) {
    const struct {
        std::int32_t length;
        std::int32_t capacity;
        std::int32_t capacityAfter;
    } rows[] = {{196, 196, 418}, {197, 197, 500}, {196, 199, 199}, {5, 30, 30}, {0, 0, 26}};
    for (const auto& row : rows) {
        SCOPED_TRACE("length " + std::to_string(row.length) + ", capacity " +
                     std::to_string(row.capacity));
        RawString text = FilledText(row.length, row.capacity);
        std::string before = BytesOf(text);
        const void* buffer = text.Text();

        text.AppendIndent();

        EXPECT_EQ(text.Capacity(), row.capacityAfter);
        EXPECT_EQ(text.Length(), row.length + 3);
        EXPECT_EQ(BytesOf(text), before + "   ");
        EXPECT_EQ(UnitBehind(text), 0);
        EXPECT_EQ(text.Text() == buffer, row.capacity == row.capacityAfter)
            << "the buffer moves exactly when it was short";
    }
}

TEST(raw_string_test, append_indent_on_a_shared_text_leaves_the_other_handle_alone) {
    RawString original = TextOf("ab");
    RawString copy(original);
    copy.AppendIndent();
    EXPECT_EQ(BytesOf(copy), "ab   ");
    EXPECT_EQ(BytesOf(original), "ab");
    EXPECT_EQ(Holders(original), 0);
}

struct StorageRow {
    const char* name;
    RawString (*make)();
    RawStorageKind storage;
    RawEncoding encoding;
    std::int32_t length;
    std::int32_t capacity;
};

const char threeBytes[] = "abc";
const char sixteenBytes[16] = "0123456789abcde";

const StorageRow storageRows[] = {
    {"default", [] { return RawString(); }, RawStorageKind::SharedEmpty, RawEncoding::ShiftJis, 0,
     0},
    {"capacity 10, Wide", [] { return RawString(RawEncoding::Wide, 10); }, RawStorageKind::Owned,
     RawEncoding::Wide, 0, 10},
    {"capacity 0, Utf8", [] { return RawString(RawEncoding::Utf8, 0); },
     RawStorageKind::SharedEmpty, RawEncoding::Utf8, 0, 0},
    {"capacity -5, EucJp", [] { return RawString(RawEncoding::EucJp, -5); },
     RawStorageKind::SharedEmpty, RawEncoding::EucJp, 0, 0},
    {"literal", [] { return RawString::FromLiteral(threeBytes); }, RawStorageKind::Literal,
     RawEncoding::ShiftJis, 3, 3},
    {"borrowed stretch", [] { return RawString::Borrow(sixteenBytes, 7, RawEncoding::Utf7); },
     RawStorageKind::Borrowed, RawEncoding::Utf7, 7, 7},
    {"copy of a borrowed stretch",
     [] {
         RawString borrowed = RawString::Borrow(sixteenBytes, 7, RawEncoding::Utf7);
         return RawString(borrowed);
     },
     RawStorageKind::Owned, RawEncoding::Utf7, 7, 34},
    {"reserve on an empty text",
     [] {
         RawString text;
         BodyOf(text).Reserve(4);
         return text;
     },
     RawStorageKind::Owned, RawEncoding::ShiftJis, 0, 4},
    {"empty range",
     [] {
         return RawString(RawEncoding::Wide, TextOf("abc"), RawRange{2, 2});
     },
     RawStorageKind::SharedEmpty, RawEncoding::Wide, 0, 0},
    {"range beyond the text",
     [] {
         return RawString(RawEncoding::ShiftJis, TextOf("abc"), RawRange{5, 9});
     },
     RawStorageKind::Owned, RawEncoding::ShiftJis, 0, 0},
};

TEST(raw_string_test, each_way_of_making_a_text_gives_its_storage_kind) {
    for (const StorageRow& row : storageRows) {
        SCOPED_TRACE(row.name);
        RawString text = row.make();
        const RawStringBody& body = text.Body();
        EXPECT_EQ(body.storage, row.storage);
        EXPECT_EQ(body.encoding, row.encoding);
        EXPECT_EQ(body.length, row.length);
        EXPECT_EQ(body.capacity, row.capacity);
        EXPECT_EQ(body.extraHolders, 0);
        if (row.storage != RawStorageKind::Borrowed) {
            EXPECT_EQ(UnitBehind(text), 0);
        }
    }
}

TEST(raw_string_test, reserve_moves_the_text_even_to_the_same_capacity) {
    for (RawEncoding encoding : {RawEncoding::ShiftJis, RawEncoding::Wide}) {
        SCOPED_TRACE(EncodingName(encoding));
        RawString text = encoding == RawEncoding::Wide ? WideOf(u"\x4142\x4344") : TextOf("AB");
        std::u16string units = UnitsOf(text);
        BodyOf(text).Reserve(text.Capacity());
        const void* moved = text.Text();
        BodyOf(text).Reserve(text.Capacity());
        EXPECT_NE(text.Text(), moved);
        BodyOf(text).Reserve(2);
        EXPECT_EQ(text.Capacity(), 2);
        EXPECT_EQ(UnitsOf(text), units) << "every byte of every unit is kept";
        EXPECT_EQ(UnitBehind(text), 0);
        EXPECT_EQ(text.Body().storage, RawStorageKind::Owned);
    }
}

TEST(raw_string_test, reserve_on_a_borrowed_view_copies_without_freeing_the_view) {
    char buffer[] = {'x', 'y', 'z'};
    RawString view = RawString::Borrow(buffer, 3, RawEncoding::ShiftJis);
    BodyOf(view).Reserve(5);
    buffer[0] = 'q';
    EXPECT_EQ(BytesOf(view), "xyz");
    EXPECT_EQ(view.Body().storage, RawStorageKind::Owned);
    EXPECT_EQ(view.Capacity(), 5);
}

TEST(raw_string_test, copies_share_one_body_and_count_it) {
    RawString original = TextOf("shared");
    {
        RawString first(original);
        EXPECT_EQ(&first.Body(), &original.Body());
        EXPECT_EQ(Holders(original), 1);
        RawString second;
        second = first;
        EXPECT_EQ(&second.Body(), &original.Body());
        EXPECT_EQ(Holders(original), 2);
    }
    EXPECT_EQ(Holders(original), 0);
}

TEST(raw_string_test, assigning_moves_the_count_from_the_old_body_to_the_new) {
    RawString a = TextOf("a");
    RawString b = TextOf("b");
    RawString keepsA(a);
    RawString handle(a);
    EXPECT_EQ(Holders(a), 2);
    handle.Assign(b);
    EXPECT_EQ(Holders(a), 1);
    EXPECT_EQ(Holders(b), 1);
    EXPECT_EQ(BytesOf(handle), "b");
}

TEST(raw_string_test, assigning_a_handle_to_itself_changes_nothing) {
    for (bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared" : "alone");
        RawString text = TextOf("self");
        std::optional<RawString> other;
        if (shared) {
            other.emplace(text);
        }
        const RawStringBody* body = &text.Body();
        const void* units = text.Text();
        const RawString& alias = text;

        text = alias;
        text.Assign(alias);
        text.AssignAs(RawEncoding::ShiftJis, alias);

        EXPECT_EQ(&text.Body(), body);
        EXPECT_EQ(text.Text(), units);
        EXPECT_EQ(Holders(text), shared ? 1 : 0);
        EXPECT_EQ(BytesOf(text), "self");
    }
}

// Asking a handle for its own text in another encoding must not leave it in the old one:
// a caller would hand narrow bytes to a wide call.
TEST(raw_string_test, assigning_a_handle_to_itself_in_another_encoding_converts_it) {
    RawString text = TextOf(std::string_view("A\0B\0", 4), RawEncoding::Utf16LittleEndian);
    const RawString& alias = text;
    text.AssignAs(RawEncoding::Wide, alias);
    EXPECT_EQ(text.Encoding(), RawEncoding::Wide);
    EXPECT_EQ(UnitsOf(text), u"AB");
    EXPECT_EQ(Holders(text), 0);
}

TEST(raw_string_test, a_change_through_a_copy_leaves_the_other_text_alone) {
    const struct {
        const char* name;
        void (*change)(RawString&);
        const char* changed;
    } rows[] = {
        {"SetUnit", [](RawString& text) { text.SetUnit(0, 'X'); }, "Xbcd"},
        {"SetLength", [](RawString& text) { text.SetLength(2); }, "ab"},
        {"AppendIndent", [](RawString& text) { text.AppendIndent(); }, "abcd   "},
        {"EnsureRoom", [](RawString& text) { text.EnsureRoom(100); }, "abcd"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString original = TextOf("abcd");
        const void* originalUnits = original.Text();
        RawString copy(original);

        row.change(copy);

        EXPECT_NE(&copy.Body(), &original.Body());
        EXPECT_EQ(BytesOf(copy), row.changed);
        EXPECT_EQ(BytesOf(original), "abcd");
        EXPECT_EQ(original.Text(), originalUnits);
        EXPECT_EQ(Holders(original), 0);
        EXPECT_EQ(Holders(copy), 0);
    }
}

struct MakeWritableRow {
    const char* name;
    RawString (*make)();
    bool shared;
    bool keepsBody;
    RawStorageKind storageAfter;
    std::int32_t capacityAfter;
    int allocations;
};

const char literalText[] = "abc";
const char borrowedText[] = "hello";

const MakeWritableRow makeWritableRows[] = {
    {"SharedEmpty, one holder", [] { return RawString(); }, false, true,
     RawStorageKind::SharedEmpty, 0, 0},
    {"SharedEmpty, shared", [] { return RawString(); }, true, false, RawStorageKind::SharedEmpty, 0,
     1},
    {"Literal of 3 bytes, one holder", [] { return RawString::FromLiteral(literalText); }, false,
     false, RawStorageKind::Owned, 26, 2},
    {"Literal, shared", [] { return RawString::FromLiteral(literalText); }, true, false,
     RawStorageKind::Owned, 26, 2},
    {"Borrowed of 5 bytes", [] { return RawString::Borrow(borrowedText, 5, RawEncoding::Utf8); },
     false, false, RawStorageKind::Owned, 30, 2},
    {"Owned, one holder", [] { return TextOf("owned"); }, false, true, RawStorageKind::Owned, 30,
     0},
    {"Owned, shared", [] { return TextOf("owned"); }, true, false, RawStorageKind::Owned, 30, 2},
};

TEST(raw_string_test, make_writable_leaves_one_holder_on_a_body_of_its_own) {
    for (const MakeWritableRow& row : makeWritableRows) {
        SCOPED_TRACE(row.name);
        RawString text = row.make();
        std::optional<RawString> other;
        if (row.shared) {
            other.emplace(text);
        }
        const RawStringBody* before = &text.Body();
        RawEncoding encoding = text.Encoding();
        std::string bytes = BytesOf(text);
        const void* otherUnits = text.Text();

        int allocations = 0;
        {
            AllocationCounter counter;
            text.MakeWritable();
            allocations = counter.Count();
        }

        EXPECT_EQ(&text.Body() == before, row.keepsBody);
        EXPECT_EQ(text.Body().storage, row.storageAfter);
        EXPECT_EQ(text.Capacity(), row.capacityAfter);
        EXPECT_EQ(text.Encoding(), encoding);
        EXPECT_EQ(BytesOf(text), bytes);
        EXPECT_EQ(UnitBehind(text), 0);
        EXPECT_EQ(Holders(text), 0);
        EXPECT_EQ(allocations, row.allocations);
        if (other) {
            EXPECT_EQ(&other->Body(), before);
            EXPECT_EQ(Holders(*other), 0);
            EXPECT_EQ(other->Text(), otherUnits);
            EXPECT_EQ(BytesOf(*other), bytes);
        }
    }
}

TEST(raw_string_test, make_writable_on_a_lone_literal_frees_its_record_but_not_its_text) {
    Calls calls;
    {
        RecordingBoundary os;
        RawString text = RawString::FromLiteral(literalText);
        os.Clear();
        text.MakeWritable();
        calls = os.CallsWithLocks();
    }
    // The new body's lock is set up while the old one is held; the old record goes after.
    EXPECT_EQ(calls, (Calls{"EnterCriticalSection", "InitializeCriticalSection",
                            "LeaveCriticalSection", "DeleteCriticalSection"}));
    EXPECT_STREQ(literalText, "abc");
}

TEST(raw_string_test, set_length_zero_on_an_empty_text_writes_nothing) {
    RawString text;
    const void* buffer = text.Text();
    text.SetLength(0);
    EXPECT_EQ(text.Text(), buffer);
    EXPECT_EQ(text.Body().storage, RawStorageKind::SharedEmpty);
    EXPECT_EQ(text.Length(), 0);
}

TEST(raw_string_test, set_length_writes_a_terminator_of_the_text_width) {
    RawString wide = WideOf(u"\xFFFF\xFFFF\xFFFF");
    wide.SetLength(1);
    EXPECT_EQ(wide.WideText()[1], 0);
    EXPECT_EQ(wide.WideText()[2], 0xFFFF) << "only one unit is written";
    RawString narrow = TextOf("\xFF\xFF\xFF");
    narrow.SetLength(1);
    EXPECT_EQ(narrow.NarrowText()[1], 0);
    EXPECT_EQ(static_cast<unsigned char>(narrow.NarrowText()[2]), 0xFF);
}

TEST(raw_string_test, units_are_read_zero_extended_and_stored_by_the_text_width) {
    RawString narrow = TextOf("\xE9\x41");
    EXPECT_EQ(narrow.UnitAt(0), 0x00E9);
    narrow.SetUnit(1, 0x1242);
    EXPECT_EQ(narrow.UnitAt(1), 0x42);
    EXPECT_EQ(narrow.Length(), 2);

    RawString wide = WideOf(u"\xE9\x41");
    wide.SetUnit(1, 0x1242);
    EXPECT_EQ(wide.UnitAt(1), 0x1242);
}

TEST(raw_string_test, copy_units_copies_the_range_and_returns_the_index_after_it) {
    RawString source = WideOf(u"\x0101\x0202\x0303\x0404");
    const struct {
        RawRange range;
        std::int32_t returned;
        std::u16string target;
    } rows[] = {
        {{1, 3}, 3, u"-\x0202\x0303-"},
        {{0, 4}, 4, u"-\x0101\x0202\x0303\x0404"},
        {{2, 2}, 2, u"-----"},
        {{3, 1}, 3, u"-----"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.range.start) + ".." + std::to_string(row.range.end));
        RawString target = WideOf(u"-----");
        std::int32_t returned = BodyOf(target).CopyUnits(1, source.Body(), row.range);
        EXPECT_EQ(returned, row.returned);
        EXPECT_EQ(target.Length(), 5) << "the length is the caller's";
        EXPECT_EQ(UnitsOf(target).substr(0, row.target.size()), row.target);
    }
}

TEST(raw_string_test, make_view_clamps_the_range_to_the_source) {
    const struct {
        RawRange range;
        std::int32_t offset;
        std::int32_t length;
    } rows[] = {
        {{2, 5}, 2, 3}, {{-3, 2}, 0, 2},  {{6, 100}, 6, 2}, {{10, 12}, 0, 0},
        {{3, 3}, 0, 0}, {{5, 2}, 0, 0},   {{0, 8}, 0, 8},   {{INT_MIN, INT_MAX}, 0, 8},
        {{8, 9}, 0, 0}, {{-5, -1}, 0, 0},
    };
    for (RawEncoding encoding : {RawEncoding::Utf8, RawEncoding::Wide}) {
        RawString source =
            encoding == RawEncoding::Wide ? WideOf(u"abcdefgh") : TextOf("abcdefgh", encoding);
        std::size_t unitSize = encoding == RawEncoding::Wide ? 2 : 1;
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(EncodingName(encoding)) + " " +
                         std::to_string(row.range.start) + ".." + std::to_string(row.range.end));
            RawStringBody* view = RawStringBody::NewEmpty(RawEncoding::ShiftJis);
            view->MakeView(source.Body(), row.range);
            EXPECT_EQ(view->storage, RawStorageKind::Borrowed);
            EXPECT_EQ(view->encoding, encoding);
            EXPECT_EQ(view->length, row.length);
            EXPECT_EQ(view->capacity, row.length);
            if (row.length > 0) {
                EXPECT_EQ(static_cast<const char*>(view->text),
                          source.NarrowText() + row.offset * unitSize);
            }
            view->Release();
        }
    }
}

TEST(raw_string_test, range_constructor_copies_a_clamped_range_at_its_exact_size) {
    const struct {
        RawRange range;
        const char* text;
        RawStorageKind storage;
    } rows[] = {
        {{2, 5}, "cde", RawStorageKind::Owned},
        {{-3, 2}, "ab", RawStorageKind::Owned},
        {{6, 100}, "gh", RawStorageKind::Owned},
        {{INT_MIN, INT_MAX}, "abcdefgh", RawStorageKind::Owned},
        {{10, 12}, "", RawStorageKind::Owned},
        {{3, 3}, "", RawStorageKind::SharedEmpty},
        {{5, 2}, "", RawStorageKind::SharedEmpty},
    };
    RawString source = RawString::FromLiteral("abcdefgh");
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.range.start) + ".." + std::to_string(row.range.end));
        RawString part(RawEncoding::ShiftJis, source, row.range);
        EXPECT_EQ(BytesOf(part), row.text);
        EXPECT_EQ(part.Capacity(), part.Length());
        EXPECT_EQ(part.Body().storage, row.storage);
        EXPECT_EQ(part.Encoding(), RawEncoding::ShiftJis);
        EXPECT_EQ(UnitBehind(part), 0);
        EXPECT_EQ(Holders(source), 0);
    }
}

TEST(raw_string_test, range_constructor_with_start_not_before_end_never_reads_the_source) {
    // A text whose units may not be read at all.
    RawString unreadable = RawString::Borrow(nullptr, 5, RawEncoding::ShiftJis);
    for (RawRange range : {RawRange{3, 3}, RawRange{4, 1}, RawRange{9, -9}}) {
        RawString part(RawEncoding::Wide, unreadable, range);
        EXPECT_EQ(part.Body().storage, RawStorageKind::SharedEmpty);
        EXPECT_EQ(part.Encoding(), RawEncoding::Wide);
        EXPECT_EQ(part.Length(), 0);
    }
}

TEST(raw_string_test, range_constructor_into_another_encoding_converts_the_range) {
    RawString bytes = TextOf(std::string("a\0b\0c\0d\0", 8), RawEncoding::Utf16LittleEndian);
    RawString wide(RawEncoding::Wide, bytes, RawRange{2, 6});
    EXPECT_EQ(UnitsOf(wide), u"bc");
    EXPECT_EQ(wide.Capacity(), 2);
    EXPECT_EQ(wide.Body().storage, RawStorageKind::Owned);

    RawString backwards(RawEncoding::Utf16BigEndian, wide, RawRange{-1, 1});
    EXPECT_EQ(BytesOf(backwards), std::string("\0b", 2));
    EXPECT_EQ(backwards.Encoding(), RawEncoding::Utf16BigEndian);
}

TEST(raw_string_test, acquiring_a_borrowed_body_copies_it_into_an_owned_one) {
    char buffer[] = "borrowed";
    RawString view = RawString::Borrow(buffer, 8, RawEncoding::ShiftJis);
    RawStringBody* acquired = BodyOf(view).Acquire(RawEncoding::ShiftJis);
    EXPECT_NE(acquired, &view.Body());
    EXPECT_EQ(acquired->storage, RawStorageKind::Owned);
    EXPECT_EQ(acquired->capacity, GrowthCapacity(8));
    EXPECT_EQ(acquired->length, 8);
    EXPECT_EQ(acquired->extraHolders, 0);
    EXPECT_EQ(Holders(view), 0);
    buffer[0] = 'X';
    EXPECT_EQ(std::string(static_cast<const char*>(acquired->text)), "borrowed");
    acquired->Release();
}

TEST(raw_string_test, acquiring_a_literal_in_its_own_encoding_shares_it) {
    RawString literal = RawString::FromLiteral(literalText);
    RawStringBody* acquired = BodyOf(literal).Acquire(RawEncoding::ShiftJis);
    EXPECT_EQ(acquired, &literal.Body());
    EXPECT_EQ(Holders(literal), 1);
    acquired->Release();
    EXPECT_EQ(Holders(literal), 0);
}

TEST(raw_string_test, acquiring_in_another_encoding_converts_and_leaves_the_count) {
    RawString literal = RawString::FromLiteral("AB");
    RawStringBody* acquired = BodyOf(literal).Acquire(RawEncoding::Utf16BigEndian);
    EXPECT_NE(acquired, &literal.Body());
    EXPECT_EQ(acquired->storage, RawStorageKind::Owned);
    EXPECT_EQ(acquired->encoding, RawEncoding::Utf16BigEndian);
    EXPECT_EQ(Holders(literal), 0);
    EXPECT_EQ(literal.Body().storage, RawStorageKind::Literal);
    acquired->Release();
}

TEST(raw_string_test, the_last_release_frees_the_body_under_its_lock) {
    char borrowed[] = {'o', 'n', ' ', 's', 't', 'a', 'c', 'k'};
    const struct {
        const char* name;
        RawString (*make)(char*);
    } rows[] = {
        {"SharedEmpty", [](char*) { return RawString(); }},
        {"Owned", [](char*) { return TextOf("owned"); }},
        {"Literal", [](char*) { return RawString::FromLiteral(literalText); }},
        {"Borrowed", [](char* text) { return RawString::Borrow(text, 8, RawEncoding::Utf8); }},
    };
    // Freeing literal or stack text would be caught by the sanitizers; Owned text that is
    // not freed, by the leak check.
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Calls calls;
        {
            RecordingBoundary os;
            {
                RawString text = row.make(borrowed);
                os.Clear();
            }
            calls = os.CallsWithLocks();
        }
        EXPECT_EQ(calls,
                  (Calls{"EnterCriticalSection", "LeaveCriticalSection", "DeleteCriticalSection"}));
    }
    EXPECT_EQ(std::string(borrowed, 8), "on stack");
}

TEST(raw_string_test, a_release_that_is_not_the_last_only_lowers_the_count) {
    RawString text = TextOf("kept");
    Calls calls;
    {
        RecordingBoundary os;
        {
            RawString copy(text);
            EXPECT_EQ(Holders(text), 1);
            os.Clear();
        }
        calls = os.CallsWithLocks();
    }
    EXPECT_EQ(calls, (Calls{"EnterCriticalSection", "LeaveCriticalSection"}));
    EXPECT_EQ(Holders(text), 0);
    EXPECT_EQ(BytesOf(text), "kept");
}

TEST(raw_string_test, equals_compares_unit_values_whatever_the_encodings) {
    const struct {
        const char* name;
        RawString (*first)();
        RawString (*second)();
        bool equal;
    } rows[] = {
        {"ShiftJis and Wide with the same units", [] { return TextOf("abc"); },
         [] { return WideOf(u"abc"); }, true},
        {"Utf8 bytes and Wide units of the same values",
         [] { return TextOf("\xC3\xA9", RawEncoding::Utf8); }, [] { return WideOf(u"\xC3\xA9"); },
         true},
        {"a wide unit is not cut to its low byte", [] { return TextOf("A"); },
         [] { return WideOf(u"\x0141"); }, false},
        {"one unit differs", [] { return TextOf("abc"); }, [] { return TextOf("abd"); }, false},
        {"case differs", [] { return TextOf("abc"); }, [] { return TextOf("abC"); }, false},
        {"lengths differ", [] { return TextOf("ab"); }, [] { return TextOf("abc"); }, false},
        {"two empty texts", [] { return RawString(); },
         [] { return RawString(RawEncoding::Wide, 0); }, true},
        {"empty and not", [] { return RawString(); }, [] { return TextOf("a"); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawString first = row.first();
        RawString second = row.second();
        EXPECT_EQ(first.Equals(second), row.equal);
        EXPECT_EQ(second.Equals(first), row.equal);
    }
}

TEST(raw_string_test, equals_reads_no_unit_when_the_lengths_differ) {
    RawString unreadable = RawString::Borrow(nullptr, 4, RawEncoding::ShiftJis);
    EXPECT_FALSE(unreadable.Equals(TextOf("abc")));
}

TEST(raw_string_test, a_text_constant_is_one_handle_built_once) {
    const struct {
        const char* name;
        const RawString& (*accessor)();
        RawStorageKind storage;
        const char* text;
    } rows[] = {
        {"EmptyText", RawLayer::EmptyText, RawStorageKind::SharedEmpty, ""},
        {"LineBreakText", RawLayer::LineBreakText, RawStorageKind::Literal, "\r\n"},
        {"ProgramNameText", RawLayer::ProgramNameText, RawStorageKind::Literal, "Velmoran"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RawString& first = row.accessor();
        const RawString& second = row.accessor();
        EXPECT_EQ(&first, &second);
        EXPECT_EQ(&first.Body(), &second.Body());
        EXPECT_EQ(first.Body().storage, row.storage);
        EXPECT_EQ(first.Encoding(), RawEncoding::ShiftJis);
        EXPECT_EQ(BytesOf(first), row.text);
        EXPECT_EQ(first.Capacity(), first.Length());
        EXPECT_EQ(Holders(first), 0);

        RawString copy(first);
        EXPECT_EQ(&copy.Body(), &first.Body()) << "copies of a constant share it";
    }
}

TEST(raw_string_test, an_ascii_literal_constant_stays_a_literal_over_the_same_text) {
    static const char literal[] = "Poweroff";
    RawString constant = RawString::Constant(literal);
    EXPECT_EQ(constant.Text(), static_cast<const void*>(literal));
    EXPECT_EQ(constant.Body().storage, RawStorageKind::Literal);
    EXPECT_EQ(constant.Encoding(), RawEncoding::ShiftJis);
    EXPECT_EQ(constant.Length(), 8);
    EXPECT_EQ(Holders(constant), 0);
}

TEST(raw_string_test, normalizing_frees_the_first_literal_record) {
    static const char literal[] = "h";
    Calls calls;
    {
        RecordingBoundary os;
        {
            RawString constant = RawString::FromLiteral(literal);
            os.Clear();
            constant.NormalizeLiteral();
            calls = os.CallsWithLocks();
            os.Clear();
        }
        // The one body left is released with the handle.
        EXPECT_EQ(os.CallsWithLocks(),
                  (Calls{"EnterCriticalSection", "LeaveCriticalSection", "DeleteCriticalSection"}));
    }
    // The temporary's record comes and stays; the first record goes; the temporary's handle
    // lets go of its share.
    EXPECT_EQ(calls,
              (Calls{"InitializeCriticalSection", "EnterCriticalSection", "LeaveCriticalSection",
                     "EnterCriticalSection", "LeaveCriticalSection", "DeleteCriticalSection",
                     "EnterCriticalSection", "LeaveCriticalSection"}));
}

// One check for all eight encodings: the unit width, the terminator width, sharing and
// copy-on-write, and exact-size sub-texts.
class per_encoding_test : public testing::TestWithParam<RawEncoding> {};

TEST_P(per_encoding_test, copies_share_and_a_change_copies_units_of_the_right_width) {
    RawEncoding encoding = GetParam();
    bool wide = encoding == RawEncoding::Wide;
    RawString original = wide ? WideOf(u"\x0131\x0232\x0333\x0434") : TextOf("1234", encoding);
    std::u16string units = UnitsOf(original);

    RawString copy(original);
    EXPECT_EQ(&copy.Body(), &original.Body());
    EXPECT_EQ(Holders(original), 1);

    copy.SetUnit(3, 0x0139);
    EXPECT_EQ(copy.Encoding(), encoding);
    EXPECT_EQ(copy.Capacity(), GrowthCapacity(4));
    EXPECT_EQ(copy.UnitAt(3), wide ? 0x0139 : 0x39);
    EXPECT_EQ(UnitsOf(copy).substr(0, 3), units.substr(0, 3));
    EXPECT_EQ(UnitBehind(copy), 0);
    EXPECT_EQ(UnitsOf(original), units);
    EXPECT_EQ(Holders(original), 0);

    copy.SetLength(2);
    EXPECT_EQ(UnitBehind(copy), 0);
    if (wide) {
        EXPECT_EQ(copy.WideText()[3], 0x0139) << "the terminator is one unit wide";
    } else {
        EXPECT_EQ(copy.NarrowText()[3], '9') << "the terminator is one byte wide";
    }

    RawString part(encoding, original, RawRange{1, 3});
    EXPECT_EQ(UnitsOf(part), units.substr(1, 2));
    EXPECT_EQ(part.Capacity(), 2);
    EXPECT_EQ(UnitBehind(part), 0);

    RawString room(encoding, 5);
    EXPECT_EQ(room.Capacity(), 5);
    EXPECT_EQ(room.Encoding(), encoding);
    room.SetUnit(4, 0x0155);
    room.SetLength(5);
    EXPECT_EQ(room.UnitAt(4), wide ? 0x0155 : 0x55);
    EXPECT_EQ(UnitBehind(room), 0);
}

INSTANTIATE_TEST_SUITE_P(raw_string_test, per_encoding_test, testing::ValuesIn(allEncodings),
                         [](const testing::TestParamInfo<RawEncoding>& info) {
                             return std::string(EncodingName(info.param));
                         });

}  // namespace
