#pragma once
// The ordered parameters of a command line, found by tag either exactly or with the ASCII
// letters folded.

#include "library/lists/raw_list.h"
#include "library/lists/raw_list_position.h"
#include "library/lists/raw_parameter_list_allocator.h"
#include "library/lists/raw_parameter_unit.h"
#include "library/text/raw_string.h"

namespace RawLayer {

class RawParameterList : public RawListR<RawParameterListAllocator, RawParameterUnit> {
  public:
    RawParameterList() = default;
    ~RawParameterList() override = default;

    void SetCaseSensitive(bool sensitive) { caseSensitive = sensitive; }
    bool CaseSensitive() const { return caseSensitive; }

    // The first unit, in insertion order, whose whole tag equals the key under the current
    // case rule; the end position when there is none.
    RawListPosition FindPosition(const RawString& key) const;
    // The unit FindPosition gives, or null.
    RawParameterUnit* Find(const RawString& key) const;
    // A copy sharing the found unit's value, or a copy of the empty text.
    RawString ValueOf(const RawString& key) const;

  private:
    // False compares tags without regard to the case of a to z.
    bool caseSensitive = false;
};

}  // namespace RawLayer
