#pragma once
// A place in a list while walking it: the list's body part and one of its nodes. The end
// position is the one on the sentinel.

#include "library/lists/raw_list_core.h"

namespace RawLayer {

class RawListBody;

struct RawListPosition {
    const RawListBody* body;
    const RawListNode* node;

    bool AtEnd() const { return node->IsSentinel(); }
    RawListPosition Next() const { return {body, node->next}; }
};

}  // namespace RawLayer
