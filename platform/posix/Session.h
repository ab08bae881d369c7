#pragma once

namespace kdx::platform::posix {

// A Wayland session: X key grabs and the X stacking order reach only the programs that run
// through XWayland there, never the desktop as a whole.
bool IsWaylandSession();

// Whether the running Qt application shows its windows on the user's desktop; the offscreen
// platform of the tests does not, and must not find the user's own desktop services.
bool ApplicationOnDesktop();

} // namespace kdx::platform::posix
