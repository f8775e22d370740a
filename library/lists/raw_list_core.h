#pragma once
// The shared record of a list: a ring of nodes around an embedded sentinel, the number of
// units, and a count of holders guarded by the record's own lock.

#include <cstdint>

#include "platform/os_types.h"

namespace RawLayer {

struct RawListNode {
    RawListNode* prev;
    RawListNode* next;
    // The unit; the sentinel points here at itself, which is how it is told apart.
    void* payload;

    bool IsSentinel() const { return payload == this; }
};

struct RawListCore {
    Os::CriticalSection lock;
    // Holders beyond the first; 0 means exactly one.
    std::int32_t extraHolders;
    RawListNode sentinel;
    std::int32_t count;

    // An empty core with one holder: the sentinel linked to itself, the lock initialised.
    static RawListCore* New();
    // Deletes the lock and frees the record; the nodes must be gone already.
    void Destroy();
};

}  // namespace RawLayer
