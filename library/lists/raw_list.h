#pragma once
// A list handle over units of type T that frees its units through its own allocator base A.
// The allocator base comes first, so the object's virtual table is the allocator's.

#include "library/lists/raw_list_body.h"
#include "library/lists/raw_list_property.h"

namespace RawLayer {

template <typename A, typename T>
class RawListR : public A, public RawListBodyR<T> {
  public:
    RawListR() : A(), RawListBodyR<T>(static_cast<RawListProperty::Allocator*>(this)) {}
    // Runs while the object still is its own allocator, so each unit reaches A's DeleteUnit.
    ~RawListR() override { this->ReleaseCore(); }

    // No part of the program shares a core between handles.
    RawListR(const RawListR&) = delete;
    RawListR& operator=(const RawListR&) = delete;
};

}  // namespace RawLayer
