#pragma once
#include <functional>

namespace kdx::platform {

// The session's own screen-saver timer, where the programs of the session rather than the
// system start the screensaver that "SCRNSAVE.EXE" names. Windows starts that program itself,
// so its backend has no such service.
class IScreenSaverTimer {
public:
    using Handler = std::function<void()>;

    virtual ~IScreenSaverTimer() = default;
    // Handler runs on the event loop's thread each time the session's screensaver is due (the
    // user has been idle for the timeout set with the desktop or `xset s`, or it was asked for
    // at once); an empty handler stops the delivery. False when this session offers the agent
    // no such timer.
    virtual bool Watch(Handler handler) = 0;
    // True while a screensaver or screen locker of the desktop's own looks after idle time.
    virtual bool DesktopSaverPresent() = 0;
    // True while the companion screensaver runs in this session.
    virtual bool CompanionRunning() = 0;
};

} // namespace kdx::platform
