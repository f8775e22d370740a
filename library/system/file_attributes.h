#pragma once
// The file-system attributes of a path given in any encoding.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// The system's attribute bits for the path, or Os::InvalidFileAttributes when it does not
// exist or cannot be queried. An empty path goes to the narrow call and fails there.
std::uint32_t QueryFileAttributes(const RawString& path);

}  // namespace RawLayer
