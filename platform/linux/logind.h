#pragma once
// The login manager (systemd-logind or elogind) on the system bus: where suspending,
// shutting down and locking sessions go on Linux.

#include "platform/linux/bus_call.h"

namespace RawLayer::Os::Linux {

inline constexpr const char* LogindService = "org.freedesktop.login1";

// The manager's member of that name.
inline BusMethod LogindManager(const char* member) {
    return {LogindService, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", member};
}

}  // namespace RawLayer::Os::Linux
