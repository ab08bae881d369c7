#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kdx::platform::posix {

// The graphical session the agent runs in, as its environment describes it. Every part of the
// backend asks here, so hot keys, desktop commands and wallpaper agree on the session.
struct DesktopSession {
    std::vector<std::string> desktops; // the items of $XDG_CURRENT_DESKTOP, in lower case
    // A Wayland session ($WAYLAND_DISPLAY set, or $XDG_SESSION_TYPE "wayland" in any case): X
    // key grabs and the X stacking order reach only the programs that run through XWayland
    // there, never the desktop as a whole.
    bool wayland = false;
    bool swayIpc = false; // sway's socket is known: $SWAYSOCK, or found (SwaySocket)
    std::string swaySocket; // that socket
    bool hyprland = false; // $HYPRLAND_INSTANCE_SIGNATURE names a running Hyprland

    // Whether $XDG_CURRENT_DESKTOP names one of Names (given in lower case).
    bool Is(std::initializer_list<std::string_view> names) const;
};

// The session as the environment describes it now (tests change the environment between cases).
DesktopSession CurrentSession();

// The graphical session's display as one file name ("wayland-0", ":0"): $WAYLAND_DISPLAY, else
// $DISPLAY without its screen number; empty when neither is set. Files a session keeps for itself
// beside those of the user's other sessions carry it.
std::string SessionDisplayName();

// The IPC socket of this user's running sway: $SWAYSOCK, or, for a program started without it (by
// a service manager, a launcher that drops it) in a Wayland session, the socket sway makes in
// $XDG_RUNTIME_DIR, "sway-ipc.<uid>.<pid>.sock", whose sway still runs (the newest when several
// do), as swaymsg users look it up. Empty when there is none.
std::string SwaySocket();

// Whether the running Qt application shows its windows on the user's desktop; the offscreen
// platform of the tests does not, and must not find the user's own desktop services.
bool ApplicationOnDesktop();

} // namespace kdx::platform::posix
