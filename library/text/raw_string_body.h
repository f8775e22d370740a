#pragma once
// The shared record behind every RawString handle: where the text lies, how its units are
// read, how long it is, and how many handles hold it. A body that more than one handle holds
// never changes its units.

#include <cstdint>

#include "library/text/raw_encoding.h"
#include "library/text/raw_range.h"
#include "platform/os_types.h"

namespace RawLayer {

enum class RawStorageKind : std::uint8_t {
    SharedEmpty = 0,  // the process-wide empty buffer; never freed
    Owned = 1,        // a heap array of capacity + 1 units, freed with the body
    Literal = 2,      // constant program text ending in a zero byte
    Borrowed = 3,     // someone else's buffer; never shared, copied when acquired
};

// Needed length n grows to this capacity: 2n + 20 below 200 units, 2n + 100 from there on.
std::int32_t GrowthCapacity(std::int32_t needed);

struct RawStringBody {
    RawStorageKind storage;
    RawEncoding encoding;
    void* text;
    std::int32_t length;
    std::int32_t capacity;
    Os::CriticalSection lock;
    std::int32_t extraHolders;

    // A new body on the shared empty buffer, in the given encoding, with one holder.
    static RawStringBody* NewEmpty(RawEncoding encoding);
    // A new body over text that someone else keeps alive (Literal or Borrowed).
    static RawStringBody* NewOver(RawStorageKind storage, const void* text, std::int32_t length,
                                  RawEncoding encoding);

    bool IsWide() const { return encoding == RawEncoding::Wide; }
    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(text); }
    const Os::WideUnit* WideUnits() const { return static_cast<const Os::WideUnit*>(text); }

    // The unit at a position, a byte zero-extended for narrow text; no bounds check.
    std::uint16_t UnitAt(std::int32_t position) const {
        return IsWide() ? WideUnits()[position] : Bytes()[position];
    }
    // Stores a unit (its low byte for narrow text); no bounds check.
    void StoreUnit(std::int32_t position, std::uint16_t unit);

    // This body with one more holder, or a new body holding its text in the encoding.
    RawStringBody* Acquire(RawEncoding wanted);
    // Drops one holder; the last release frees the body and any text it owns.
    void Release();
    // Moves the text into a new Owned array of exactly capacity + 1 units.
    void Reserve(std::int32_t newCapacity);
    // Copies the source's units of the range to this body from the position on; returns the
    // index after the last unit copied. No clamping, no conversion, no length change.
    std::int32_t CopyUnits(std::int32_t position, const RawStringBody& source, RawRange range);
    // Fills this fresh, empty body from the source, converting into this body's encoding.
    void AssignFrom(const RawStringBody& source);
    // Turns this fresh body into a Borrowed view of a clamped range of the source.
    void MakeView(const RawStringBody& source, RawRange range);
    // Replaces the text by its conversion into another encoding: narrow text through Wide
    // when the target is narrow too.
    void ConvertTo(RawEncoding target);
    // Replaces the narrow text by its Wide conversion.
    void ConvertToWide();
    // Replaces the Wide text by its conversion into a narrow encoding.
    void ConvertToNarrow(RawEncoding target);
    // Puts a converted array of exactly count units in place of the text, freeing the old
    // text when the body owned it.
    void TakeConverted(void* converted, std::int32_t count, RawEncoding newEncoding);

    // Frees the record and any text it owns, whatever the holder count.
    void Destroy();
};

}  // namespace RawLayer
