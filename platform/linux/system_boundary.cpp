#include "platform/boundary.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os {
namespace {

const Boundary systemBoundary = {
#define LOOKED_UP(name, ...) .name = Linux::name,
#define IMPORTED LOOKED_UP
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
};

}  // namespace

const Boundary& SystemBoundary() {
    return systemBoundary;
}

}  // namespace RawLayer::Os
