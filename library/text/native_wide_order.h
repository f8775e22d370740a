#pragma once
// The byte order of the machine's own wide characters.

#include "library/text/raw_encoding.h"

namespace RawLayer {

// The byte order of native wide characters, as one of the two UTF-16 byte encodings.
RawEncoding NativeWideOrder();

}  // namespace RawLayer
