#include "library/system/file_attributes.h"

#include "library/system/call_text.h"
#include "library/text/call_width.h"
#include "platform/boundary.h"

namespace RawLayer {

std::uint32_t QueryFileAttributes(const RawString& path) {
    // An empty companion never decides the width, so this is the choice for the path alone.
    if (ChooseCallWidth(path, EmptyText()) == RawCallWidth::NarrowCall) {
        NarrowCallText narrowPath(path);
        return Os::Os().GetFileAttributesA(narrowPath.Get());
    }
    WideCallText widePath(path);
    return Os::Os().GetFileAttributesW(widePath.Get());
}

}  // namespace RawLayer
