#pragma once
#include "saver/SaverSystem.h"

#include <QObject>

#include <string>

class QProcess;

namespace kdx::saver::posix {

// A Windows screensaver run as "wine <file> /s" in its own folder, in a process group of its
// own with the parent-death signal set: ending it signals the group (SIGTERM, then SIGKILL
// after half a second), so Wine's helper programs started for it go too, and nothing else of
// the user's prefix.
class WineProgram final : public IRunningProgram {
public:
    WineProgram(std::string wine, std::string path);
    ~WineProgram() override;
    WineProgram(const WineProgram&) = delete;
    WineProgram& operator=(const WineProgram&) = delete;

    void Start(EndedHandler ended) override;
    void BeginStop() override;
    void Stop() override;

private:
    void Ended();

    std::string wine_;
    std::string path_;
    EndedHandler ended_;
    QProcess* process_ = nullptr;
    long long group_ = 0;
    bool stopping_ = false;
    QObject context_;
};

} // namespace kdx::saver::posix
