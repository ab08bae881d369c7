#pragma once
#include "SaverPlan.h"
#include "SaverSystem.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace kdx::saver {

// Runs the Windows screensavers of the plan with "/s", as Windows runs its screensaver, over the
// companion's black windows (how, and how everything it started is ended with it, is the
// system's: ISaverSystem::Program). Random type 0 changes to another random one every interval;
// 1 keeps the one it chose. A program that ends within a few seconds of its start is dropped
// for the run; when none is left, the one-line message says so.
class ProgramShow {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    using ProgramFor = std::function<std::unique_ptr<IRunningProgram>(const std::string& path)>;

    ProgramShow(SaverPlan plan, ProgramFor programFor, LineHandler line, std::function<int(int n)> randomBelow);
    ~ProgramShow();
    ProgramShow(const ProgramShow&) = delete;
    ProgramShow& operator=(const ProgramShow&) = delete;

    void Start();
    // Asks the running program and all it started to end, without waiting.
    void BeginStop();
    // Ends them, waiting a moment for them to go before they are killed.
    void Stop();

private:
    void Launch();
    void Ended();
    void Change();

    SaverPlan plan_;
    ProgramFor programFor_;
    LineHandler line_;
    std::function<int(int)> randomBelow_;
    std::string running_;
    std::unique_ptr<IRunningProgram> program_;
    int runs_ = 0;
    QElapsedTimer started_;
    QTimer timer_;
    QObject context_;
};

// Quicker than this, a program's end counts as its failure to run.
inline constexpr int QuickEndMs = 3000;

} // namespace kdx::saver
