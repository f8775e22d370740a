#include "tests/support/failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace RawLayer::Testing {
namespace {

// Read by every allocation of every thread, so kept atomic even though only one test thread
// arms it.
std::atomic<bool> armed{false};
std::atomic<int> counted{0};
std::atomic<int> failingAllocation{0};

}  // namespace

FailingAllocation::FailingAllocation(int failAt) {
    if (armed.load()) {
        throw std::logic_error("only one FailingAllocation at a time");
    }
    counted.store(0);
    failingAllocation.store(failAt);
    armed.store(true);
}

FailingAllocation::~FailingAllocation() {
    armed.store(false);
}

int FailingAllocation::Count() const {
    return counted.load();
}

bool FailingAllocation::Failed() const {
    return counted.load() >= failingAllocation.load();
}

}  // namespace RawLayer::Testing

namespace {

// malloc and free underneath, so that LeakSanitizer still sees every block.
void* Allocate(std::size_t size) {
    using namespace RawLayer::Testing;
    if (armed.load(std::memory_order_relaxed)) {
        int number = counted.fetch_add(1) + 1;
        if (number == failingAllocation.load()) {
            throw std::bad_alloc();
        }
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}

void* operator new[](std::size_t size) {
    return Allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
