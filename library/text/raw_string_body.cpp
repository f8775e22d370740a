#include "library/text/raw_string_body.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "library/text/raw_pending.h"
#include "library/text/unit_buffer.h"
#include "platform/boundary.h"
#include "platform/section_guard.h"

namespace RawLayer {
namespace {

// Empty bodies point here instead of allocating: zero in either width. Nothing writes to it,
// since a body on it has capacity 0 and moves to an Owned array before any unit is stored.
alignas(4) const unsigned char sharedEmptyBuffer[4] = {0, 0, 0, 0};

void WriteTerminator(RawStringBody& body, std::int32_t position) {
    body.StoreUnit(position, 0);
}

}  // namespace

std::int32_t GrowthCapacity(std::int32_t needed) {
    std::int64_t capacity =
        needed < 200 ? 2 * std::int64_t{needed} + 20 : 2 * std::int64_t{needed} + 100;
    // Beyond this the array size itself could not be counted; Reserve fails it as memory.
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(capacity, std::numeric_limits<std::int32_t>::max() - 1));
}

RawStringBody* RawStringBody::NewEmpty(RawEncoding encoding) {
    return NewOver(RawStorageKind::SharedEmpty, sharedEmptyBuffer, 0, encoding);
}

RawStringBody* RawStringBody::NewOver(RawStorageKind storage, const void* text, std::int32_t length,
                                      RawEncoding encoding) {
    auto* body =
        new RawStringBody{storage, encoding, const_cast<void*>(text), length, length, {}, 0};
    Os::Os().InitializeCriticalSection(&body->lock);
    return body;
}

void RawStringBody::StoreUnit(std::int32_t position, std::uint16_t unit) {
    if (IsWide()) {
        static_cast<Os::WideUnit*>(text)[position] = unit;
    } else {
        static_cast<unsigned char*>(text)[position] = static_cast<unsigned char>(unit);
    }
}

RawStringBody* RawStringBody::Acquire(RawEncoding wanted) {
    if (wanted == encoding && storage != RawStorageKind::Borrowed) {
        SectionGuard guard(lock);
        ++extraHolders;
        return this;
    }
    // The units of a body that has a holder besides the writer never change, so this copy
    // needs no lock.
    RawPending fresh(NewEmpty(wanted), &RawStringBody::Destroy);
    fresh->AssignFrom(*this);
    return fresh.Commit();
}

void RawStringBody::Release() {
    std::int32_t holdersBefore = 0;
    {
        SectionGuard guard(lock);
        holdersBefore = extraHolders;
        --extraHolders;
    }
    if (holdersBefore == 0) {
        Destroy();
    }
}

void RawStringBody::Destroy() {
    Os::Os().DeleteCriticalSection(&lock);
    if (storage == RawStorageKind::Owned) {
        FreeUnits(text);
    }
    delete this;
}

void RawStringBody::Reserve(std::int32_t newCapacity) {
    void* units = AllocateUnits(encoding, std::int64_t{newCapacity} + 1);
    std::size_t unitSize = IsWide() ? 2 : 1;
    if (length > 0) {
        std::memcpy(units, text, static_cast<std::size_t>(length) * unitSize);
    }
    if (storage == RawStorageKind::Owned) {
        FreeUnits(text);
    }
    text = units;
    storage = RawStorageKind::Owned;
    capacity = newCapacity;
    WriteTerminator(*this, length);
}

std::int32_t RawStringBody::CopyUnits(std::int32_t position, const RawStringBody& source,
                                      RawRange range) {
    std::int32_t index = range.start;
    for (; index < range.end; ++index) {
        StoreUnit(position++, source.UnitAt(index));
    }
    return index;
}

void RawStringBody::AssignFrom(const RawStringBody& source) {
    if (source.encoding == encoding) {
        if (capacity < source.length) {
            Reserve(GrowthCapacity(source.length));
        }
        length = source.length;
        CopyUnits(0, source, {0, source.length});
        if (storage != RawStorageKind::SharedEmpty) {
            WriteTerminator(*this, length);
        }
        return;
    }
    RawEncoding wanted = encoding;
    MakeView(source, {0, source.length});
    ConvertTo(wanted);
}

void RawStringBody::MakeView(const RawStringBody& source, RawRange range) {
    std::int32_t start = std::max(range.start, 0);
    std::int32_t end = std::min(source.length, range.end);
    std::int32_t viewLength = end > start ? end - start : 0;
    std::size_t unitSize = source.IsWide() ? 2 : 1;
    text = static_cast<unsigned char*>(source.text) +
           (viewLength > 0 ? static_cast<std::size_t>(start) * unitSize : 0);
    length = viewLength;
    capacity = viewLength;
    storage = RawStorageKind::Borrowed;
    encoding = source.encoding;
}

}  // namespace RawLayer
