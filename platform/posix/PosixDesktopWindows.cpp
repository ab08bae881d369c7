#include "PosixDesktopWindows.h"

#include "platform/posix/dbus/KWinDesktop.h"
#include "platform/posix/session/DesktopSession.h"

namespace kdx::platform::posix {

bool PosixDesktopWindows::CanWalkWindows() { return X11DesktopWindows::CanWalkWindows() && !CurrentSession().wayland; }

bool PosixDesktopWindows::ShowDesktop() { return KWinShowDesktop(); }

} // namespace kdx::platform::posix
