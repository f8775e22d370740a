#include "library/lists/raw_list_body.h"

#include "platform/boundary.h"
#include "platform/section_guard.h"

namespace RawLayer {

RawListBody::RawListBody(Allocator* allocator) : core(RawListCore::New()), allocator(allocator) {}

void RawListBody::AppendPayload(void* unit) {
    auto* node = new RawListNode{core->sentinel.prev, &core->sentinel, unit};
    node->prev->next = node;
    core->sentinel.prev = node;
    ++core->count;
}

void RawListBody::ReleaseCore() {
    std::int32_t holdersBefore = 0;
    {
        SectionGuard guard(core->lock);
        holdersBefore = core->extraHolders;
        core->extraHolders = holdersBefore - 1;
    }
    if (holdersBefore != 0) {
        return;
    }
    // Driven by the count rather than by reaching the sentinel. Each node is gone and
    // counted out before its unit is freed, so a unit's release never sees its own node.
    while (core->count > 0) {
        RawListNode* node = core->sentinel.next;
        void* unit = node->payload;
        node->payload = nullptr;
        node->prev->next = node->next;
        node->next->prev = node->prev;
        delete node;
        --core->count;
        allocator->FreeUnit(unit);
    }
    core->Destroy();
}

}  // namespace RawLayer
