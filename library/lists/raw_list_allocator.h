#pragma once
// The typed side of a list's allocator: the untyped FreeUnit of the list machinery becomes
// DeleteUnit of a unit of type T, which the concrete allocator implements.

#include "library/lists/raw_list_property.h"

namespace RawLayer {

template <typename T>
class RawListAllocator : public RawListProperty::Allocator {
  public:
    void FreeUnit(void* unit) override { DeleteUnit(static_cast<T*>(unit)); }
    // Frees one unit; null does nothing.
    virtual void DeleteUnit(T* unit) = 0;
};

}  // namespace RawLayer
