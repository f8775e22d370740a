#include "tests/support/switchable_boundary.h"

#include <atomic>

namespace RawLayer {
namespace {

std::atomic<const Os::Boundary*> activeBoundary{nullptr};

}  // namespace

const Os::Boundary& Os::Os() {
    const Boundary* boundary = activeBoundary.load(std::memory_order_acquire);
    return boundary != nullptr ? *boundary : SystemBoundary();
}

void Testing::UseBoundary(const Os::Boundary* boundary) {
    activeBoundary.store(boundary, std::memory_order_release);
}

}  // namespace RawLayer
