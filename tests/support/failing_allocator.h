#pragma once
// A test-only global allocator that makes one chosen allocation fail, so that a test can
// walk an operation through every allocation point it has. Outside a FailingAllocation
// scope it only passes allocations on to malloc and free.

#include <gtest/gtest.h>

#include <new>

namespace RawLayer::Testing {

class FailingAllocation {
  public:
    // From here on allocations are counted from 1, and the one numbered failAt throws
    // std::bad_alloc. Only one scope may be armed at a time.
    explicit FailingAllocation(int failAt);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;

    // Allocations counted so far, the failed one included.
    int Count() const;
    bool Failed() const;
};

// Runs operation() with its first allocation failing, then its second, and so on, until it
// runs to its end; after every failure, afterFailure() checks what was left behind (nothing
// is armed then). Returns the number of allocation points, or -1 when a failure was
// swallowed or an allocation failure came from elsewhere.
template <typename Operation, typename AfterFailure>
int ForEachAllocationFailure(Operation operation, AfterFailure afterFailure) {
    constexpr int limit = 1000;
    for (int failAt = 1; failAt <= limit; ++failAt) {
        bool thrown = false;
        bool reached = false;
        {
            FailingAllocation allocation(failAt);
            try {
                operation();
            } catch (const std::bad_alloc&) {
                thrown = true;
            }
            reached = allocation.Failed();
        }
        if (thrown != reached) {
            ADD_FAILURE() << "allocation " << failAt
                          << (reached ? " failed unseen" : " not reached")
                          << (thrown ? ", yet an allocation failure came out" : "");
            return -1;
        }
        if (!thrown) {
            return failAt - 1;
        }
        SCOPED_TRACE("allocation " + std::to_string(failAt) + " failed");
        afterFailure();
    }
    ADD_FAILURE() << "more than " << limit << " allocations";
    return -1;
}

}  // namespace RawLayer::Testing
