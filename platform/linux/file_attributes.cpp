// File attributes from stat. Windows accepts both separators, so a backslash in the path is
// read as a slash.

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

namespace RawLayer::Os::Linux {
namespace {

std::uint32_t AttributesOf(std::string path) {
    if (path.empty()) {
        return InvalidFileAttributes;
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return InvalidFileAttributes;
    }
    return S_ISDIR(status.st_mode) ? FileAttributeDirectory : FileAttributeNormal;
}

}  // namespace

std::uint32_t GetFileAttributesA(const char* path) {
    return path != nullptr ? AttributesOf(path) : InvalidFileAttributes;
}

std::uint32_t GetFileAttributesW(const WideUnit* path) {
    return path != nullptr ? AttributesOf(NarrowNative(path)) : InvalidFileAttributes;
}

}  // namespace RawLayer::Os::Linux
