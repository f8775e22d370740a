#pragma once
// Heap arrays of text units: bytes for narrow encodings, 16-bit units for Wide.

#include <cstdint>

#include "library/text/raw_encoding.h"

namespace RawLayer {

// An array of count units; throws the runtime's allocation failure when the byte count does
// not fit 32 bits, as a 32-bit process could never satisfy it.
void* AllocateUnits(RawEncoding encoding, std::int64_t count);
void FreeUnits(void* units);

}  // namespace RawLayer
