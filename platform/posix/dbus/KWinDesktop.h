#pragma once

namespace kdx::platform::posix {

// KWin's show-desktop command on the session bus (KDE Plasma, X11 and Wayland): every window
// steps aside until the user picks one again. False where KWin does not answer.
bool KWinShowDesktop();

} // namespace kdx::platform::posix
