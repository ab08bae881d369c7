#pragma once
#include "platform/ScreenSaverTimer.h"
#include "platform/posix/x11/X11ScreenSaverTimer.h"

namespace kdx::platform::posix {

// The X server's screen-saver timer; the desktop's own screensaver is xscreensaver or any
// program that owns the freedesktop screensaver name on the session bus (the screensavers and
// lockers of GNOME, KDE Plasma, XFCE, Cinnamon, MATE, LXQt and light-locker); the companion's
// run is its lock.
class PosixScreenSaverTimer final : public IScreenSaverTimer {
public:
    bool Watch(Handler handler) override;
    bool DesktopSaverPresent() override;
    bool CompanionRunning() override;

private:
    X11ScreenSaverTimer x11_;
};

} // namespace kdx::platform::posix
