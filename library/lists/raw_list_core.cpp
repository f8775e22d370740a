#include "library/lists/raw_list_core.h"

#include "platform/boundary.h"

namespace RawLayer {

RawListCore* RawListCore::New() {
    auto* core = new RawListCore{};
    Os::Os().InitializeCriticalSection(&core->lock);
    core->extraHolders = 0;
    core->sentinel.prev = &core->sentinel;
    core->sentinel.next = &core->sentinel;
    core->sentinel.payload = &core->sentinel;
    core->count = 0;
    return core;
}

void RawListCore::Destroy() {
    Os::Os().DeleteCriticalSection(&lock);
    delete this;
}

}  // namespace RawLayer
