// COM natively: there is no such service, so a caller that asks for it is told so.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {
namespace {

// E_NOTIMPL, as Windows reports a call it does not provide.
constexpr HResult NotImplemented = static_cast<HResult>(0x80004001u);

}  // namespace

HResult CoInitializeEx(void*, std::uint32_t) {
    return NotImplemented;
}

void CoUninitialize() {}

}  // namespace RawLayer::Os::Linux
