#pragma once
// Turning the displays off on Wayland compositors that offer wlroots' output power protocol
// (sway, Hyprland, niri and others), whose sessions have no desktop service on the bus for it.
// libwayland-client is loaded when needed, as the X11 libraries are.

#include <string>

namespace RawLayer::Os::Linux {

enum class WaylandOutputsOff {
    // Every output reported that it is off.
    Done,
    // No Wayland session, or a compositor without the protocol; reason says which, or is
    // empty where the session is not Wayland at all.
    Missing,
    // The compositor refused at least one output; reason names them.
    Refused,
};

WaylandOutputsOff TurnWaylandOutputsOff(std::string& reason);

}  // namespace RawLayer::Os::Linux
