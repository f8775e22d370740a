#include "library/text/native_wide_order.h"

#include <cstring>

namespace RawLayer {
namespace {

RawEncoding ReadMachineOrder() {
    const char16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1 ? RawEncoding::Utf16LittleEndian : RawEncoding::Utf16BigEndian;
}

}  // namespace

RawEncoding NativeWideOrder() {
    static const RawEncoding order = ReadMachineOrder();
    return order;
}

}  // namespace RawLayer
