#pragma once
#include "saver/SaverSystem.h"

#include <QObject>

class QWinEventNotifier;

#include <string>

namespace kdx::saver::win32 {

// A Windows screensaver run as "<file> /s" in its own folder, inside a job object of its own
// that it joins before its first instruction: everything it starts is in the job, ending it
// ends the job (its windows are asked to close first), and should the companion itself die,
// the system closes the job and kills them all.
class JobProgram final : public IRunningProgram {
public:
    explicit JobProgram(std::string path);
    ~JobProgram() override;
    JobProgram(const JobProgram&) = delete;
    JobProgram& operator=(const JobProgram&) = delete;

    void Start(EndedHandler ended) override;
    void BeginStop() override;
    void Stop() override;

private:
    void Ended();
    void Report();

    std::string path_;
    EndedHandler ended_;
    void* job_ = nullptr;
    void* process_ = nullptr;
    QWinEventNotifier* notifier_ = nullptr;
    bool stopping_ = false;
    QObject context_;
};

} // namespace kdx::saver::win32
