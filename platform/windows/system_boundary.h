#pragma once
// How the Windows build fills the boundary: kernel32's functions are imported, every other
// entry is looked up in the system DLLs loaded at start-up.

#include "platform/boundary.h"
#include "platform/windows/system_libraries.h"

namespace RawLayer::Os::Windows {

// The table with the functions of these libraries. An entry whose DLL or function is missing
// fails as the system call reports failure (false, 0, a null handle), so the action it serves
// is refused rather than crashing.
Boundary ResolveBoundary(const SystemLibraries& libraries);

}  // namespace RawLayer::Os::Windows
