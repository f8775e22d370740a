#include "library/lists/raw_parameter_list_allocator.h"

namespace RawLayer {

RawParameterUnit* RawParameterListAllocator::NewUnit() {
    // A failing member constructor unwinds the members already built and frees the record.
    return new RawParameterUnit{};
}

void RawParameterListAllocator::DeleteUnit(RawParameterUnit* unit) {
    // Members go in reverse order of declaration: the value, then the tag.
    delete unit;
}

}  // namespace RawLayer
