#pragma once
#include "SaverPlan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class QProcess;

namespace kdx::saver {

// Runs the Windows screensavers of the plan through Wine with "/s", as Windows runs its
// screensaver, over the companion's black windows. Random type 0 changes to another random
// one every interval; 1 keeps the one it chose. Each runs in a process group of its own, so
// ending it ends everything it started (Wine's own helper programs included) and nothing else.
// A program that ends within a few seconds of its start is dropped for the run; when none is
// left, the one-line message says so.
class ProgramShow {
public:
    using LineHandler = std::function<void(const std::string& line)>;

    ProgramShow(SaverPlan plan, std::string wine, LineHandler line, std::function<int(int n)> randomBelow);
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
    std::string wine_;
    LineHandler line_;
    std::function<int(int)> randomBelow_;
    std::string running_;
    QProcess* process_ = nullptr;
    long long group_ = 0;
    bool stopping_ = false;
    QElapsedTimer started_;
    QTimer timer_;
    QObject context_;
};

// Quicker than this, a program's end counts as its failure to run.
inline constexpr int QuickEndMs = 3000;

} // namespace kdx::saver
