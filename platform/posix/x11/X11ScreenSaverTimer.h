#pragma once
#include "platform/ScreenSaverTimer.h"

#include <QPointer>
#include <QSocketNotifier>

// Xlib stays out of this header: its macros (None, Bool, Status) break Qt's headers.
struct _XDisplay;

namespace kdx::platform::posix {

// The X server's own screen-saver timer (the MIT-SCREEN-SAVER extension): the server says when
// its screen saver turns on, after the timeout the user set with the desktop or `xset s`, or
// at once with `xset s activate`. It listens on a connection of its own, so no other user of
// the agent's X connection takes its events. A Wayland session gets no timer: the X server
// there sees only the input of X programs, so its idle time means nothing.
class X11ScreenSaverTimer {
public:
    using Handler = IScreenSaverTimer::Handler;

    X11ScreenSaverTimer() = default;
    ~X11ScreenSaverTimer();
    X11ScreenSaverTimer(const X11ScreenSaverTimer&) = delete;
    X11ScreenSaverTimer& operator=(const X11ScreenSaverTimer&) = delete;

    // As IScreenSaverTimer::Watch.
    bool Watch(Handler handler);
    // Whether xscreensaver runs: its window with a version property among the root's children.
    bool XScreensaverRunning();

private:
    void DispatchPending();

    _XDisplay* display_ = nullptr;
    int eventBase_ = 0;
    Handler handler_;
    QPointer<QSocketNotifier> notifier_;
};

} // namespace kdx::platform::posix
