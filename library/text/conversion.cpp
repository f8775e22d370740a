#include "library/text/conversion.h"

#include <algorithm>
#include <cstring>

#include "library/text/raw_string_body.h"
#include "library/text/unit_buffer.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

bool IsUtf16Bytes(RawEncoding encoding) {
    return encoding == RawEncoding::Utf16BigEndian || encoding == RawEncoding::Utf16LittleEndian;
}

// Copies count bytes, or swaps them pairwise when the byte order is not the machine's.
std::int32_t CopyOrSwap(RawEncoding order, unsigned char* target, std::int32_t capacity,
                        const unsigned char* source, std::int32_t length) {
    if (order == NativeWideOrder()) {
        return CopyBytesBounded(target, capacity, source, length);
    }
    std::int32_t count = std::min(capacity, length);
    for (std::int32_t k = 0; 2 * k + 1 < count; ++k) {
        target[2 * k] = source[2 * k + 1];
        target[2 * k + 1] = source[2 * k];
    }
    if (count % 2 == 1) {
        // A target cut after half a unit gets that unit's first byte in the swapped order,
        // as the native order's copy does. A source that itself ends in an odd byte has no
        // partner for it: that byte is dropped rather than read past the source.
        target[count - 1] = count < length ? source[count] : 0;
    }
    return count;
}

}  // namespace

std::int32_t CopyBytesBounded(void* target, std::int32_t capacity, const void* source,
                              std::int32_t length) {
    std::int32_t count = std::min(capacity, length);
    if (count <= 0) {
        return count;
    }
    std::memcpy(target, source, static_cast<std::size_t>(count));
    return count;
}

std::int32_t NarrowFromWide(RawEncoding target, char* buffer, std::int32_t capacity,
                            const Os::WideUnit* source, std::int32_t length) {
    if (IsUtf16Bytes(target)) {
        std::int32_t count = CopyOrSwap(target, reinterpret_cast<unsigned char*>(buffer), capacity,
                                        reinterpret_cast<const unsigned char*>(source), 2 * length);
        count = std::max(count, 0);
        buffer[count] = 0;
        return count;
    }
    // A capacity of 0 would turn the call into a size query, whose answer is not a count of
    // bytes written.
    std::int32_t written = 0;
    if (capacity > 0 && length > 0) {
        written = Os::Os().WideCharToMultiByte(CodePageOf(target), 0, source, length, buffer,
                                               capacity, nullptr, nullptr);
    }
    buffer[written] = 0;
    return written;
}

std::int32_t WideFromNarrow(RawEncoding source, Os::WideUnit* buffer, std::int32_t capacity,
                            const char* bytes, std::int32_t length) {
    if (IsUtf16Bytes(source)) {
        std::int32_t count =
            CopyOrSwap(source, reinterpret_cast<unsigned char*>(buffer), 2 * capacity,
                       reinterpret_cast<const unsigned char*>(bytes), length);
        std::int32_t units = std::max(count, 0) / 2;
        buffer[units] = 0;
        return units;
    }
    std::int32_t written = 0;
    if (capacity > 0 && length > 0) {
        written =
            Os::Os().MultiByteToWideChar(CodePageOf(source), 0, bytes, length, buffer, capacity);
    }
    buffer[written] = 0;
    return written;
}

void RawStringBody::ConvertToWide() {
    const char* bytes = static_cast<const char*>(text);
    std::int32_t units = 0;
    if (IsUtf16Bytes(encoding)) {
        units = length / 2;
    } else if (length > 0) {
        units = Os::Os().MultiByteToWideChar(CodePageOf(encoding), 0, bytes, length, nullptr, 0);
    }
    auto* wide = static_cast<Os::WideUnit*>(AllocateUnits(RawEncoding::Wide, units + 1));
    units = WideFromNarrow(encoding, wide, units, bytes, length);
    TakeConverted(wide, units, RawEncoding::Wide);
}

void RawStringBody::ConvertToNarrow(RawEncoding target) {
    const auto* wide = static_cast<const Os::WideUnit*>(text);
    std::int32_t bytes = 0;
    if (IsUtf16Bytes(target)) {
        bytes = 2 * length;
    } else if (length > 0) {
        bytes = Os::Os().WideCharToMultiByte(CodePageOf(target), 0, wide, length, nullptr, 0,
                                             nullptr, nullptr);
    }
    auto* narrow = static_cast<char*>(AllocateUnits(target, std::int64_t{bytes} + 1));
    bytes = NarrowFromWide(target, narrow, bytes, wide, length);
    TakeConverted(narrow, bytes, target);
}

void RawStringBody::TakeConverted(void* converted, std::int32_t count, RawEncoding newEncoding) {
    if (storage == RawStorageKind::Owned) {
        FreeUnits(text);
    }
    text = converted;
    length = count;
    capacity = count;
    storage = RawStorageKind::Owned;
    encoding = newEncoding;
}

}  // namespace RawLayer
