// The time of the last input, where the desktop tells how long the user has been idle.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

Bool GetLastInputInfo(LastInputInfo*) {
    return 0;
}

}  // namespace RawLayer::Os::Linux
