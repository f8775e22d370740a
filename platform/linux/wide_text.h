#pragma once
// Wide text from the boundary brought to the native narrow encoding, for stand-ins that hand
// text to Linux calls.

#include <string>

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

// A zero-terminated wide text as UTF-8; empty when the text cannot be converted.
std::string NarrowNative(const WideUnit* text);

}  // namespace RawLayer::Os::Linux
