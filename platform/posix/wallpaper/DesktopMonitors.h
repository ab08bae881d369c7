#pragma once
#include "platform/Shell.h"
#include "platform/posix/session/DesktopSession.h"

#include <string>
#include <vector>

namespace kdx::platform::posix {

// The monitors of the session, each in device pixels, the primary first and the others from
// left to right and top to bottom: sway's outputs (swaymsg), Hyprland's monitors (hyprctl), or
// in an X session the X screen's RandR monitors. Empty in another Wayland session, and where
// the desktop does not answer.
std::vector<Monitor> SessionMonitors(const DesktopSession& session);

// The RandR 1.5 monitors of the X screen named by $DISPLAY, each with the name of its first
// output (XFCE knows monitors by it); the primary is RandR's, else the one at the origin.
std::vector<Monitor> X11Monitors();

// sway's answer to "swaymsg -t get_outputs -r": the active outputs, each the size of its mode in
// pixels (turned by a transform of 90 or 270 degrees), placed where sway's layout puts it.
std::vector<Monitor> SwayOutputs(const std::string& json);

// Hyprland's answer to "hyprctl monitors -j", read the same way.
std::vector<Monitor> HyprlandMonitors(const std::string& json);

// Puts the primary first (the one at the origin, else the first, when none is marked) and the
// others in reading order.
void OrderMonitors(std::vector<Monitor>& monitors);

} // namespace kdx::platform::posix
