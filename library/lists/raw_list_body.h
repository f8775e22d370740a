#pragma once
// The body part of a list handle: the pointer to the shared core and the pointer to the
// allocator that frees the units. RawListBody does the untyped work; RawListBodyR<T> hands
// units in and out as T.

#include <cstdint>

#include "library/lists/raw_list_core.h"
#include "library/lists/raw_list_position.h"
#include "library/lists/raw_list_property.h"

namespace RawLayer {

class RawListBody : public RawListProperty {
  public:
    RawListBody(const RawListBody&) = delete;
    RawListBody& operator=(const RawListBody&) = delete;

    std::int32_t Count() const { return core->count; }
    // The position of the oldest unit, or the end position of an empty list.
    RawListPosition First() const { return {this, core->sentinel.next}; }
    const RawListCore& Core() const { return *core; }

  protected:
    // Creates a fresh core; the allocator is the list object itself.
    explicit RawListBody(Allocator* allocator);
    // The core outlives this part unless the owner has run ReleaseCore.
    ~RawListBody() = default;

    // Adds the unit at the tail. If the node cannot be allocated, the list is unchanged and
    // the unit still belongs to the caller.
    void AppendPayload(void* unit);
    // Drops this holder of the core; the last holder frees the nodes, then the units in
    // insertion order through the allocator, then the core.
    void ReleaseCore();

    RawListCore* core;
    Allocator* allocator;
};

template <typename T>
class RawListBodyR : public RawListBody {
  public:
    // Hands the unit over to the list, which frees it through its allocator.
    void Append(T* unit) { AppendPayload(unit); }
    // The unit at the position, or null at the end position.
    T* UnitAtPosition(RawListPosition position) const {
        return position.AtEnd() ? nullptr : static_cast<T*>(position.node->payload);
    }

  protected:
    explicit RawListBodyR(Allocator* allocator) : RawListBody(allocator) {}
    ~RawListBodyR() = default;
};

}  // namespace RawLayer
