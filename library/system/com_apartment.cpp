#include "library/system/com_apartment.h"

#include "platform/boundary.h"

namespace RawLayer {

RawComApartment::RawComApartment()
    : joined(Os::Os().CoInitializeEx(
                 nullptr, Os::CoinitApartmentThreaded | Os::CoinitDisableOle1Dde) >= 0) {}

RawComApartment::~RawComApartment() {
    if (joined) {
        Os::Os().CoUninitialize();
    }
}

}  // namespace RawLayer
