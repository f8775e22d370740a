#pragma once
// How GetModuleFileName fills its buffer, for the stand-ins that give a module path in its
// place: a path that does not fit is cut to size - 1 units and terminated, and the full size
// is returned, so that a caller can tell a cut path from a whole one only by the count.

#include <string>

#include "platform/os_types.h"

namespace RawLayer::Os {

template <typename Unit>
Dword FillModuleFileName(const std::basic_string<Unit>& path, Unit* buffer, Dword size) {
    if (size == 0) {
        return 0;
    }
    if (path.size() < size) {
        path.copy(buffer, path.size());
        buffer[path.size()] = 0;
        return static_cast<Dword>(path.size());
    }
    path.copy(buffer, size - 1);
    buffer[size - 1] = 0;
    return size;
}

}  // namespace RawLayer::Os
