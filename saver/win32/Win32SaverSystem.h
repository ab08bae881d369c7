#pragma once
#include "saver/SaverSystem.h"

namespace kdx::saver::win32 {

// The companion on Windows: a named mutex of the session for one run at a time, low-level
// hooks for the user's input over a screensaver program's window, screensaver programs run
// directly inside a job object, and the agent started as a program.
class Win32SaverSystem final : public ISaverSystem {
public:
    std::unique_ptr<IHeld> TakeRunLock() override;
    std::unique_ptr<IHeld> EndOnRequests() override;
    std::unique_ptr<IHeld> WatchFullScreen(std::function<void()> input) override;
    std::set<quint32> HeldKeys() override;
    std::optional<QSize> HostWindowSize(unsigned long long host) override;
    void ShowInside(QWidget& window, unsigned long long host, QSize size) override;
    std::string ProgramsCannotRun() override { return {}; }
    bool IsSaverProgram(const std::string& path) override;
    std::unique_ptr<IRunningProgram> Program(const std::string& path) override;
    bool RunsWithoutSwitch() override { return true; }
    bool StartAgent(const std::string& program) override;
};

} // namespace kdx::saver::win32
