#include "library/text/unit_buffer.h"

#include <new>

namespace RawLayer {

void* AllocateUnits(RawEncoding encoding, std::int64_t count) {
    std::int64_t bytes = encoding == RawEncoding::Wide ? 2 * count : count;
    if (count < 0 || bytes > INT64_C(0xFFFFFFFF)) {
        throw std::bad_alloc();
    }
    return new unsigned char[static_cast<std::size_t>(bytes)];
}

void FreeUnits(void* units) {
    delete[] static_cast<unsigned char*>(units);
}

}  // namespace RawLayer
