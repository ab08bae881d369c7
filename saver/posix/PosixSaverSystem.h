#pragma once
#include "saver/SaverSystem.h"

namespace kdx::saver::posix {

// The companion on Linux: a lock per graphical session, the X server's screen saver held off,
// Windows screensavers run by Wine, the agent beside it when it is a program built for Linux.
class PosixSaverSystem final : public ISaverSystem {
public:
    std::unique_ptr<IHeld> TakeRunLock() override;
    std::unique_ptr<IHeld> EndOnRequests() override;
    std::unique_ptr<IHeld> WatchFullScreen(std::function<void()> input) override;
    std::set<quint32> HeldKeys() override;
    std::optional<QSize> HostWindowSize(unsigned long long host) override;
    void ShowInside(QWidget& window, unsigned long long host, QSize size) override;
    std::string ProgramsCannotRun() override;
    bool IsSaverProgram(const std::string& path) override;
    std::unique_ptr<IRunningProgram> Program(const std::string& path) override;
    bool RunsWithoutSwitch() override { return false; }
    bool StartAgent(const std::string& program) override;
};

} // namespace kdx::saver::posix
