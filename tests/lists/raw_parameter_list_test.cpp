#include "library/lists/raw_parameter_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/boundary.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/switchable_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawParameterList;
using RawLayer::RawParameterListAllocator;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;
using RawLayer::Testing::BytesOf;
using RawLayer::Testing::ExactTextOf;
namespace Os = RawLayer::Os;

void Add(RawParameterList& list, const RawString& tag, const RawString& value) {
    RawParameterUnit* unit = RawParameterListAllocator::NewUnit();
    list.Append(unit);
    unit->tag.Assign(tag);
    unit->value.Assign(value);
}

void Add(RawParameterList& list, const std::string& tag, const std::string& value) {
    Add(list, ExactTextOf(tag), ExactTextOf(value));
}

TEST(raw_parameter_list_test, lookup_in_an_empty_list_finds_nothing) {
    RawParameterList list;
    EXPECT_FALSE(list.CaseSensitive());
    EXPECT_TRUE(list.FindPosition(ExactTextOf("a")).AtEnd());
    EXPECT_EQ(list.Find(ExactTextOf("a")), nullptr);
    EXPECT_EQ(list.ValueOf(ExactTextOf("a")).Length(), 0);
    EXPECT_EQ(list.Find(ExactTextOf("")), nullptr);
}

TEST(raw_parameter_list_test, first_unit_in_insertion_order_wins) {
    RawParameterList list;
    Add(list, "a", "1");
    Add(list, "b", "x");
    Add(list, "a", "2");
    EXPECT_EQ(BytesOf(list.ValueOf(ExactTextOf("a"))), "1");
    EXPECT_EQ(list.UnitAtPosition(list.FindPosition(ExactTextOf("a"))),
              list.Find(ExactTextOf("a")));
    EXPECT_EQ(BytesOf(list.ValueOf(ExactTextOf("b"))), "x");
}

struct LookupRow {
    std::string tag;
    std::string key;
    bool foundIgnoringCase;
    bool foundExactly;
};

// Folding covers a to z only; lengths must agree, so a prefix never matches.
const std::vector<LookupRow> lookupRows = {
    {"NoTag_1", "NoTag_1", true, true},
    {"NoTag_1", "notag_1", true, false},
    {"notag_1", "NOTAG_1", true, false},
    {"NoTag_1", "NoTag_10", false, false},
    {"NoTag_10", "NoTag_1", false, false},
    {"", "", true, true},
    {"", "a", false, false},
    {"\xE9", "\xE9", true, true},
    {"\xE9", "\xC9", false, false},
    {"[", "{", false, false},
    {"@", "`", false, false},
};

TEST(raw_parameter_list_test, lookup_under_both_case_rules) {
    for (const LookupRow& row : lookupRows) {
        for (RawEncoding keyEncoding : {RawEncoding::AnsiCodePage, RawEncoding::Wide}) {
            SCOPED_TRACE("tag \"" + row.tag + "\", key \"" + row.key + "\", key encoding " +
                         std::to_string(static_cast<int>(keyEncoding)));
            RawParameterList list;
            Add(list, "other", "0");
            Add(list, ExactTextOf(row.tag, RawEncoding::AnsiCodePage), ExactTextOf("v"));
            RawString key = ExactTextOf(row.key, keyEncoding);

            EXPECT_EQ(list.Find(key) != nullptr, row.foundIgnoringCase);
            EXPECT_EQ(BytesOf(list.ValueOf(key)), row.foundIgnoringCase ? "v" : "");
            list.SetCaseSensitive(true);
            EXPECT_EQ(list.Find(key) != nullptr, row.foundExactly);
            EXPECT_EQ(list.FindPosition(key).AtEnd(), !row.foundExactly);
        }
    }
}

TEST(raw_parameter_list_test, value_of_shares_the_units_value) {
    RawParameterList list;
    Add(list, "a", "value");
    const RawParameterUnit* unit = list.Find(ExactTextOf("a"));
    {
        RawString value = list.ValueOf(ExactTextOf("a"));
        EXPECT_EQ(&value.Body(), &unit->value.Body());
        EXPECT_EQ(unit->value.Body().extraHolders, 1);
    }
    EXPECT_EQ(unit->value.Body().extraHolders, 0);
    RawString missing = list.ValueOf(ExactTextOf("b"));
    EXPECT_EQ(&missing.Body(), &RawLayer::EmptyText().Body());
}

TEST(raw_parameter_list_test, new_unit_holds_two_empty_texts_of_its_own) {
    RawParameterList list;
    RawParameterUnit* unit = RawParameterListAllocator::NewUnit();
    EXPECT_EQ(unit->tag.Length(), 0);
    EXPECT_EQ(unit->value.Length(), 0);
    EXPECT_NE(&unit->tag.Body(), &unit->value.Body());
    list.DeleteUnit(unit);
}

TEST(raw_parameter_list_test, deleting_null_does_nothing) {
    RawLayer::Testing::RecordingBoundary boundary;
    RawParameterList list;
    boundary.Clear();
    list.DeleteUnit(nullptr);
    list.FreeUnit(nullptr);
    EXPECT_TRUE(boundary.CallsWithLocks().empty());
}

// Which locks are deleted, in order: each body's lock goes just before the body is freed.
std::vector<const void*> deletedLocks;

class LockDeletionWatch {
  public:
    LockDeletionWatch() : table(Os::SystemBoundary()) {
        table.DeleteCriticalSection = [](Os::CriticalSection* section) RAWLAYER_SYSTEM_CALL {
            deletedLocks.push_back(section);
            Os::SystemBoundary().DeleteCriticalSection(section);
        };
        deletedLocks.clear();
        RawLayer::Testing::UseBoundary(&table);
    }
    ~LockDeletionWatch() { RawLayer::Testing::UseBoundary(nullptr); }
    LockDeletionWatch(const LockDeletionWatch&) = delete;
    LockDeletionWatch& operator=(const LockDeletionWatch&) = delete;

  private:
    Os::Boundary table;
};

TEST(raw_parameter_list_test, teardown_releases_value_then_tag_unit_by_unit_then_the_core) {
    std::vector<const void*> expected;
    LockDeletionWatch watch;
    {
        RawParameterList list;
        for (const char* tag : {"first", "second", "third"}) {
            Add(list, tag, std::string(tag) + " value");
        }
        for (auto position = list.First(); !position.AtEnd(); position = position.Next()) {
            const RawParameterUnit* unit = list.UnitAtPosition(position);
            expected.push_back(&unit->value.Body().lock);
            expected.push_back(&unit->tag.Body().lock);
        }
        expected.push_back(&list.Core().lock);
        deletedLocks.clear();
    }
    EXPECT_EQ(deletedLocks, expected);
}

TEST(raw_parameter_list_test, teardown_leaves_texts_still_held_elsewhere) {
    RawString shared = ExactTextOf("kept");
    {
        RawParameterList list;
        Add(list, shared, shared);
        EXPECT_EQ(shared.Body().extraHolders, 2);
    }
    EXPECT_EQ(shared.Body().extraHolders, 0);
    EXPECT_EQ(BytesOf(shared), "kept");
}

}  // namespace
