#pragma once
#include "platform/posix/x11/X11DesktopWindows.h"

namespace kdx::platform::posix {

// An X11 session's windows are walked on the X server; in a Wayland session, where no program
// sees another's windows, the desktop's own show-desktop command is asked for instead (KWin's,
// on Plasma).
class PosixDesktopWindows final : public X11DesktopWindows {
public:
    bool CanWalkWindows() override;
    bool ShowDesktop() override;
};

} // namespace kdx::platform::posix
