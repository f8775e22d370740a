// The Windows build's table. Only kernel32's calls that take wide text go through an adapter;
// looked-up functions are taken with the table's types directly.

#include "platform/windows/system_boundary.h"

namespace RawLayer::Os {
namespace Windows {
namespace {

const wchar_t* AsSystemWide(const WideUnit* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

DWORD WINAPI GetModuleFileNameWide(HMODULE module, WideUnit* buffer, DWORD size) {
    return ::GetModuleFileNameW(module, reinterpret_cast<wchar_t*>(buffer), size);
}

DWORD WINAPI GetFileAttributesWide(const WideUnit* path) {
    return ::GetFileAttributesW(AsSystemWide(path));
}

int WINAPI MultiByteToWide(UINT codePage, DWORD flags, const char* source, int sourceLength,
                           WideUnit* target, int targetLength) {
    return ::MultiByteToWideChar(codePage, flags, source, sourceLength,
                                 reinterpret_cast<wchar_t*>(target), targetLength);
}

int WINAPI WideToMultiByte(UINT codePage, DWORD flags, const WideUnit* source, int sourceLength,
                           char* target, int targetLength, const char* defaultChar,
                           BOOL* usedDefault) {
    return ::WideCharToMultiByte(codePage, flags, AsSystemWide(source), sourceLength, target,
                                 targetLength, defaultChar, usedDefault);
}

}  // namespace Windows

const Boundary& SystemBoundary() {
    // Building it loads nothing: each DLL waits for the first call of one of its functions.
    static const Boundary table = Windows::BoundaryOver<Windows::ProcessLibraries>();
    return table;
}

}  // namespace RawLayer::Os
