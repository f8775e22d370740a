#pragma once
// Creates and frees the units of a parameter list.

#include "library/lists/raw_list_allocator.h"
#include "library/lists/raw_parameter_unit.h"

namespace RawLayer {

class RawParameterListAllocator : public RawListAllocator<RawParameterUnit> {
  public:
    // A unit with an empty tag and an empty value of its own. If the value cannot be made,
    // the tag and the unit are freed before the allocation failure leaves.
    static RawParameterUnit* NewUnit();
    // Releases the value, then the tag, then frees the unit; null does nothing.
    void DeleteUnit(RawParameterUnit* unit) override;
};

}  // namespace RawLayer
