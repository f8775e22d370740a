#include "library/lists/raw_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/lists/raw_list_allocator.h"
#include "tests/support/recording_boundary.h"

namespace {

using RawLayer::RawListAllocator;
using RawLayer::RawListCore;
using RawLayer::RawListNode;
using RawLayer::RawListPosition;
using RawLayer::RawListR;
using RawLayer::Testing::RecordingBoundary;
using Calls = std::vector<std::string>;

struct Probe {
    int id;
};

// While set, the allocator writes each release among the boundary's calls, and with a watched
// core, what the list looked like at that moment.
RecordingBoundary* recorder = nullptr;
const RawListCore* watchedCore = nullptr;

// A recording boundary that also hears of every unit the allocator frees.
class RecordedReleases {
  public:
    RecordedReleases() { recorder = &boundary; }
    ~RecordedReleases() {
        recorder = nullptr;
        watchedCore = nullptr;
    }
    RecordedReleases(const RecordedReleases&) = delete;
    RecordedReleases& operator=(const RecordedReleases&) = delete;

    RecordingBoundary boundary;
};

bool InRing(const RawListCore& core, const Probe* unit) {
    for (const RawListNode* node = core.sentinel.next; !node->IsSentinel(); node = node->next) {
        if (node->payload == unit) {
            return true;
        }
    }
    return false;
}

// Frees probes; each release stands among the lock calls in the recorder's call list.
class RecordingAllocator : public RawListAllocator<Probe> {
  public:
    void DeleteUnit(Probe* unit) override {
        if (recorder != nullptr) {
            recorder->Record(Describe(unit));
        }
        delete unit;
    }

  private:
    static std::string Describe(const Probe* unit) {
        if (unit == nullptr) {
            return "DeleteUnit(null)";
        }
        std::string call = "DeleteUnit(" + std::to_string(unit->id);
        if (watchedCore != nullptr) {
            call += ", count " + std::to_string(watchedCore->count);
            call += InRing(*watchedCore, unit) ? ", linked" : ", unlinked";
        }
        return call + ")";
    }
};

class ProbeList : public RawListR<RecordingAllocator, Probe> {
  public:
    using RawListR::ReleaseCore;
    RawListCore& MutableCore() { return *core; }
};

std::vector<int> Walk(const ProbeList& list) {
    std::vector<int> ids;
    for (RawListPosition position = list.First(); !position.AtEnd(); position = position.Next()) {
        ids.push_back(list.UnitAtPosition(position)->id);
    }
    return ids;
}

TEST(raw_list_test, new_list_is_empty_and_walks_to_the_end_at_once) {
    ProbeList list;
    const RawListCore& core = list.Core();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(core.extraHolders, 0);
    EXPECT_EQ(core.sentinel.next, &core.sentinel);
    EXPECT_EQ(core.sentinel.prev, &core.sentinel);
    EXPECT_EQ(core.sentinel.payload, &core.sentinel);
    RawListPosition first = list.First();
    EXPECT_TRUE(first.AtEnd());
    EXPECT_EQ(first.body, &list);
    EXPECT_EQ(list.UnitAtPosition(first), nullptr);
}

TEST(raw_list_test, appended_units_walk_in_insertion_order_around_one_ring) {
    ProbeList list;
    auto* a = new Probe{1};
    auto* b = new Probe{2};
    auto* c = new Probe{3};
    list.Append(a);
    list.Append(b);
    list.Append(c);
    const RawListCore& core = list.Core();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Walk(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(core.sentinel.next->payload, a);
    EXPECT_EQ(core.sentinel.prev->payload, c);
    int nodes = 0;
    for (const RawListNode* node = core.sentinel.next; !node->IsSentinel(); node = node->next) {
        EXPECT_EQ(node->next->prev, node);
        EXPECT_EQ(node->prev->next, node);
        ++nodes;
    }
    EXPECT_EQ(nodes, 3);
    EXPECT_TRUE(list.First().Next().Next().Next().AtEnd());
}

TEST(raw_list_test, teardown_frees_units_in_insertion_order_each_after_its_node) {
    RecordedReleases recorded;
    {
        ProbeList list;
        for (int id = 1; id <= 3; ++id) {
            list.Append(new Probe{id});
        }
        watchedCore = &list.Core();
        recorded.boundary.Clear();
    }
    EXPECT_EQ(recorded.boundary.CallsWithLocks(),
              (Calls{"EnterCriticalSection", "LeaveCriticalSection",
                     "DeleteUnit(1, count 2, unlinked)", "DeleteUnit(2, count 1, unlinked)",
                     "DeleteUnit(3, count 0, unlinked)", "DeleteCriticalSection"}));
}

TEST(raw_list_test, teardown_of_an_empty_list_frees_only_the_core) {
    RecordedReleases recorded;
    { ProbeList list; }
    EXPECT_EQ(recorded.boundary.CallsWithLocks(),
              (Calls{"InitializeCriticalSection", "EnterCriticalSection", "LeaveCriticalSection",
                     "DeleteCriticalSection"}));
}

TEST(raw_list_test, core_with_another_holder_survives_release) {
    RecordedReleases recorded;
    ProbeList list;
    list.Append(new Probe{7});
    list.MutableCore().extraHolders = 1;
    recorded.boundary.Clear();

    list.ReleaseCore();

    EXPECT_EQ(recorded.boundary.CallsWithLocks(),
              (Calls{"EnterCriticalSection", "LeaveCriticalSection"}));
    EXPECT_EQ(list.Core().extraHolders, 0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(Walk(list), (std::vector<int>{7}));
    // The list's own destruction is now the last holder's release and frees the rest.
}

TEST(raw_list_test, free_unit_passes_the_pointer_on_and_accepts_null) {
    ProbeList list;
    RecordedReleases recorded;
    RawLayer::RawListProperty::Allocator& allocator = list;
    allocator.FreeUnit(nullptr);
    allocator.FreeUnit(new Probe{4});
    EXPECT_EQ(recorded.boundary.Calls(), (Calls{"DeleteUnit(null)", "DeleteUnit(4)"}));
}

}  // namespace
