// The system's tick count and waits, from the monotonic clock.

#include <time.h>

#include <cerrno>

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

std::uint32_t GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    return static_cast<std::uint32_t>(milliseconds);
}

void Sleep(std::uint32_t milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000u),
                  static_cast<long>(milliseconds % 1000u) * 1'000'000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace RawLayer::Os::Linux
