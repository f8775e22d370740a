// Allocation failures at every step of making units and of parsing. LeakSanitizer, in the
// native sanitized build, reports anything these walks leave behind.

#include <gtest/gtest.h>

#include <memory>

#include "library/lists/command_line_token.h"
#include "library/lists/raw_parameter_list.h"
#include "library/lists/raw_parameter_parser.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawListPosition;
using RawLayer::RawParameterList;
using RawLayer::RawParameterListAllocator;
using RawLayer::RawParameterParser;
using RawLayer::RawString;
using RawLayer::Testing::ExactTextOf;
using RawLayer::Testing::ForEachAllocationFailure;

TEST(allocation_failure_test, new_unit_frees_what_it_built) {
    RawParameterList list;
    int points = ForEachAllocationFailure(
        [&] { list.DeleteUnit(RawParameterListAllocator::NewUnit()); }, [] {});
    // The unit, the tag's body, the value's body.
    EXPECT_EQ(points, 3);
}

TEST(allocation_failure_test, parse_leaves_a_whole_list_behind) {
    const RawString flags[] = {ExactTextOf("h"), RawString()};
    RawString commandLine =
        ExactTextOf("\"C:\\tools\\tool.exe\" -h Reboot -x \"a b\" c - -n=1 d e f g h i j \"open");
    std::unique_ptr<RawParameterList> list;
    auto parse = [&] {
        list = std::make_unique<RawParameterList>();
        RawParameterParser parser(list.get(), flags);
        parser.Parse(RawLayer::SkipProgramPath(commandLine));
    };
    auto check = [&] {
        if (list == nullptr) {
            return;
        }
        std::int32_t walked = 0;
        for (RawListPosition position = list->First(); !position.AtEnd();
             position = position.Next()) {
            ++walked;
        }
        EXPECT_EQ(walked, list->Count());
        list.reset();
    };
    int points = ForEachAllocationFailure(parse, check);
    EXPECT_GT(points, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 13);
}

}  // namespace
