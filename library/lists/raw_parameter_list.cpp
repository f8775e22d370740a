#include "library/lists/raw_parameter_list.h"

#include "library/text/text_compare.h"

namespace RawLayer {

RawListPosition RawParameterList::FindPosition(const RawString& key) const {
    bool exact = caseSensitive;
    RawListPosition position = First();
    for (; !position.AtEnd(); position = position.Next()) {
        const RawString& tag = UnitAtPosition(position)->tag;
        RawRange tagRange{0, tag.Length()};
        RawRange keyRange{0, key.Length()};
        bool equal = exact ? RangeEquals(tag, tagRange, key, keyRange)
                           : RangeEqualsNoCase(tag, tagRange, key, keyRange);
        if (equal) {
            return position;
        }
    }
    return position;
}

RawParameterUnit* RawParameterList::Find(const RawString& key) const {
    return UnitAtPosition(FindPosition(key));
}

RawString RawParameterList::ValueOf(const RawString& key) const {
    const RawParameterUnit* unit = Find(key);
    return unit != nullptr ? unit->value : EmptyText();
}

}  // namespace RawLayer
