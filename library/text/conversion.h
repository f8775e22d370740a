#pragma once
// Conversions between narrow encodings and native wide characters. Code pages go through the
// system's converters, EucJp through code page 20932 where the system refuses 51932; the two
// UTF-16 byte encodings are copied or byte-swapped.

#include <cstdint>

#include "library/text/raw_encoding.h"
#include "platform/os_types.h"

namespace RawLayer {

// Converts length wide units of source into the encoding target; buffer holds capacity + 1
// bytes. Returns the bytes written and writes a zero byte after them.
std::int32_t NarrowFromWide(RawEncoding target, char* buffer, std::int32_t capacity,
                            const Os::WideUnit* source, std::int32_t length);

// Converts length bytes of the encoding source into wide units; buffer holds capacity + 1
// units. Returns the units written and writes a zero unit after them.
std::int32_t WideFromNarrow(RawEncoding source, Os::WideUnit* buffer, std::int32_t capacity,
                            const char* bytes, std::int32_t length);

// Copies the smaller of the two counts of bytes; nothing when that is not positive.
std::int32_t CopyBytesBounded(void* target, std::int32_t capacity, const void* source,
                              std::int32_t length);

}  // namespace RawLayer
