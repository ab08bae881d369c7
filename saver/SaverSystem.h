#pragma once
#include <QSize>
#include <QtGlobal>

class QWidget;

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace kdx::saver {

// Something the system keeps up for as long as the object lives (a lock, a watch).
class IHeld {
public:
    virtual ~IHeld() = default;
};

// A Windows screensaver program of the list, running full screen with "/s" together with
// everything it started.
class IRunningProgram {
public:
    using EndedHandler = std::function<void()>;
    virtual ~IRunningProgram() = default;
    // Starts it. Ended is called from the event loop once it has ended by itself, also when it
    // fails to start; never from inside Start, and never once it is asked to stop.
    virtual void Start(EndedHandler ended) = 0;
    // Asks it and all it started to end, without waiting.
    virtual void BeginStop() = 0;
    // Ends them, waiting a moment for them to go before they are killed.
    virtual void Stop() = 0;
};

// What the companion needs of the system beyond Qt's windows. One realisation per platform
// (posix/, win32/), chosen at build time.
class ISaverSystem {
public:
    virtual ~ISaverSystem() = default;

    // One companion at a time: held for the run; null while another companion runs.
    virtual std::unique_ptr<IHeld> TakeRunLock() = 0;
    // Ends the event loop when the system asks the program to end (signals on Linux).
    virtual std::unique_ptr<IHeld> EndOnRequests() = 0;
    // For the full-screen run: holds off the system's own screen blanking, and calls Input on
    // the user's input where it does not reach the companion's windows (a screensaver
    // program's window on top). Keys held down now count only once released.
    virtual std::unique_ptr<IHeld> WatchFullScreen(std::function<void()> input) = 0;
    // The native scan codes of the keys held down now (the hot key that started the companion).
    virtual std::set<quint32> HeldKeys() = 0;
    // The inner size of the window a preview is drawn in, or nothing once it is gone.
    virtual std::optional<QSize> HostWindowSize(unsigned long long host) = 0;
    // Shows Window as a child of Host, filling its inner Size from its top left corner.
    virtual void ShowInside(QWidget& window, unsigned long long host, QSize size) = 0;

    // Why screensaver programs cannot run here at all, or empty when they can.
    virtual std::string ProgramsCannotRun() = 0;
    // Whether a listed file that exists is a screensaver program this system runs: a Windows
    // program, never the companion itself.
    virtual bool IsSaverProgram(const std::string& path) = 0;
    virtual std::unique_ptr<IRunningProgram> Program(const std::string& path) = 0;

    // True where a start without a switch runs the screensaver (Windows: the agent's "open"
    // reaches it bare where no shell adds "/s"); false where it is the shell's "config".
    virtual bool RunsWithoutSwitch() = 0;

    // Starts the agent program with "/nominimize" (its window, where the lists are set); false
    // when that file is not a program this system starts.
    virtual bool StartAgent(const std::string& program) = 0;
};

// The build's own system.
ISaverSystem& System();

} // namespace kdx::saver
