// The process token and its privileges: on Linux polkit decides, when the action is asked
// for, whether this user may shut down; there is no token to adjust beforehand, so these
// report failure and change nothing.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

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

}  // namespace RawLayer::Os::Linux
