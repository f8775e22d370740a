// Linux has no desktop-independent service for these actions; every stand-in reports failure
// and changes nothing.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

Bool PostMessageA(Handle, std::uint32_t, std::uintptr_t, std::intptr_t) {
    return 0;
}
Bool LockWorkStation() {
    return 0;
}
Bool ExitWindowsEx(std::uint32_t, std::uint32_t) {
    return 0;
}
Bool OpenProcessToken(Handle, std::uint32_t, Handle*) {
    return 0;
}
Bool LookupPrivilegeValueA(const char*, const char*, Luid*) {
    return 0;
}
Bool AdjustTokenPrivileges(Handle, Bool, TokenPrivileges*, std::uint32_t, TokenPrivileges*,
                           std::uint32_t*) {
    return 0;
}
Bool InitiateSystemShutdownExA(char*, char*, std::uint32_t, Bool, Bool, std::uint32_t) {
    return 0;
}
std::uint8_t SetSuspendState(std::uint8_t, std::uint8_t, std::uint8_t) {
    return 0;
}

}  // namespace RawLayer::Os::Linux
