#pragma once
#include <string>

namespace kdx {

// Starts the companion screensaver when the session's screen-saver timer fires, as Windows
// starts the program that "SCRNSAVE.EXE" names: only while that value names the companion
// ("Disable Screensaver" clears it), never while the companion already runs, and never where
// a screensaver or locker of the desktop's own looks after idle time (the companion is then
// started on demand only). Where the platform has no such timer (Windows starts the program
// itself; a Wayland session) it does nothing.
class SaverIdleStart {
public:
    SaverIdleStart();
    ~SaverIdleStart();
    SaverIdleStart(const SaverIdleStart&) = delete;
    SaverIdleStart& operator=(const SaverIdleStart&) = delete;

    bool Watching() const { return watching_; }
    // The timer fired: starts the companion when everything above allows it.
    void TimerFired();

private:
    bool watching_ = false;
};

// Whether a "SCRNSAVE.EXE" value names the companion screensaver: its file name, with or
// without enclosing quotes and a folder, in any letter case.
bool NamesCompanion(const std::string& value);

} // namespace kdx
