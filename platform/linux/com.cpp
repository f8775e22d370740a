// COM natively: there is no such service, so a caller that asks for it is told so.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

// E_NOTIMPL, as Windows reports a call it does not provide.
HResult CoInitializeEx(void*, std::uint32_t) {
    return ENotImpl;
}

void CoUninitialize() {}

}  // namespace RawLayer::Os::Linux
