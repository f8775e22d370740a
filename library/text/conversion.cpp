#include "library/text/conversion.h"

#include <algorithm>
#include <cstring>

#include "library/text/native_wide_order.h"
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

// Makes a code-page call with the encoding's code page, and for EucJp again with its table's
// (20932) when that answers 0: Wine has no converter for EucJp's code page 51932, which Windows
// lists beside it, and text that the system refuses under 51932 converts under 20932. With flags 0
// the system replaces what it cannot convert, so a 0 for a text of at least one unit means the code
// page is refused (or, when converting, that the target is too small, which the second call answers
// alike). Leaves the code page of the last call in codePage.
template <typename Call>
std::int32_t CallWithCodePage(RawEncoding encoding, std::uint32_t& codePage, Call call) {
    codePage = CodePageOf(encoding);
    std::int32_t answer = call(codePage);
    if (answer == 0 && encoding == RawEncoding::EucJp) {
        codePage = Os::CpEucJp;
        answer = call(codePage);
    }
    return answer;
}

// A capacity of 0 would turn these calls into size queries, whose answer is not a count of
// units written.
std::int32_t WideFromCodePage(std::uint32_t codePage, Os::WideUnit* buffer, std::int32_t capacity,
                              const char* bytes, std::int32_t length) {
    std::int32_t written = 0;
    if (capacity > 0 && length > 0) {
        written = Os::Os().MultiByteToWideChar(codePage, 0, bytes, length, buffer, capacity);
    }
    buffer[written] = 0;
    return written;
}

std::int32_t NarrowFromCodePage(std::uint32_t codePage, char* buffer, std::int32_t capacity,
                                const Os::WideUnit* source, std::int32_t length) {
    std::int32_t written = 0;
    if (capacity > 0 && length > 0) {
        written = Os::Os().WideCharToMultiByte(codePage, 0, source, length, buffer, capacity,
                                               nullptr, nullptr);
    }
    buffer[written] = 0;
    return written;
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
    std::uint32_t codePage = 0;
    return CallWithCodePage(target, codePage, [&](std::uint32_t page) {
        return NarrowFromCodePage(page, buffer, capacity, source, length);
    });
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
    std::uint32_t codePage = 0;
    return CallWithCodePage(source, codePage, [&](std::uint32_t page) {
        return WideFromCodePage(page, buffer, capacity, bytes, length);
    });
}

void RawStringBody::ConvertTo(RawEncoding target) {
    if (IsWide()) {
        ConvertToNarrow(target);
        return;
    }
    ConvertToWide();
    if (target != RawEncoding::Wide) {
        ConvertToNarrow(target);
    }
}

void RawStringBody::ConvertToWide() {
    const char* bytes = static_cast<const char*>(text);
    if (IsUtf16Bytes(encoding)) {
        std::int32_t units = length / 2;
        auto* wide = static_cast<Os::WideUnit*>(AllocateUnits(RawEncoding::Wide, units + 1));
        TakeConverted(wide, WideFromNarrow(encoding, wide, units, bytes, length),
                      RawEncoding::Wide);
        return;
    }
    // The conversion goes through the code page that answered the size query.
    std::uint32_t codePage = CodePageOf(encoding);
    std::int32_t units = 0;
    if (length > 0) {
        units = CallWithCodePage(encoding, codePage, [&](std::uint32_t page) {
            return Os::Os().MultiByteToWideChar(page, 0, bytes, length, nullptr, 0);
        });
    }
    auto* wide = static_cast<Os::WideUnit*>(AllocateUnits(RawEncoding::Wide, units + 1));
    TakeConverted(wide, WideFromCodePage(codePage, wide, units, bytes, length), RawEncoding::Wide);
}

void RawStringBody::ConvertToNarrow(RawEncoding target) {
    const auto* wide = static_cast<const Os::WideUnit*>(text);
    if (IsUtf16Bytes(target)) {
        std::int32_t bytes = 2 * length;
        auto* narrow = static_cast<char*>(AllocateUnits(target, std::int64_t{bytes} + 1));
        TakeConverted(narrow, NarrowFromWide(target, narrow, bytes, wide, length), target);
        return;
    }
    std::uint32_t codePage = CodePageOf(target);
    std::int32_t bytes = 0;
    if (length > 0) {
        bytes = CallWithCodePage(target, codePage, [&](std::uint32_t page) {
            return Os::Os().WideCharToMultiByte(page, 0, wide, length, nullptr, 0, nullptr,
                                                nullptr);
        });
    }
    auto* narrow = static_cast<char*>(AllocateUnits(target, std::int64_t{bytes} + 1));
    TakeConverted(narrow, NarrowFromCodePage(codePage, narrow, bytes, wide, length), target);
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
