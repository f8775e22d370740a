#include "platform/boundary.h"

namespace RawLayer::Os {

const Boundary& Os() {
    return SystemBoundary();
}

}  // namespace RawLayer::Os
