#include <gtest/gtest.h>

#include <new>

#include "tests/launcher/cleanup_frames.h"

namespace {

void Throw(CleanupLog*) {
    throw std::bad_alloc();
}

void EnterSecondFrameThenThrow(CleanupLog* log) {
    CallWithCleanup(2, &Throw, log);
}

TEST(cleanup_personality_test, an_exception_leaving_a_c_frame_runs_its_cleanup_once) {
    CleanupLog log{};
    EXPECT_THROW(CallWithCleanup(1, &Throw, &log), std::bad_alloc);
    ASSERT_EQ(log.count, 1);
    EXPECT_EQ(log.frames[0], 1);
}

TEST(cleanup_personality_test, nested_c_frames_are_cleaned_innermost_first_before_the_catch) {
    CleanupLog log{};
    int countAtCatch = -1;
    try {
        CallWithCleanup(1, &EnterSecondFrameThenThrow, &log);
    } catch (const std::bad_alloc&) {
        countAtCatch = log.count;
    }
    EXPECT_EQ(countAtCatch, 2);
    ASSERT_EQ(log.count, 2);
    EXPECT_EQ(log.frames[0], 2);
    EXPECT_EQ(log.frames[1], 1);
}

}  // namespace
