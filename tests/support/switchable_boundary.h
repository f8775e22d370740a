#pragma once
// Tests link this Os() in place of the program's: it answers with the system's table until a
// test installs another one.

#include "platform/boundary.h"

namespace RawLayer::Testing {

// Makes the given table the one Os() returns; null brings back the system's table.
void UseBoundary(const Os::Boundary* boundary);

}  // namespace RawLayer::Testing
