#include "WineProgram.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace kdx::saver::posix {

namespace {

void SignalGroup(long long group, int signal)
{
    if (group > 0)
        kill(-pid_t(group), signal);
}

} // namespace

WineProgram::WineProgram(std::string wine, std::string path) : wine_(std::move(wine)), path_(std::move(path)) { }

WineProgram::~WineProgram() { Stop(); }

void WineProgram::Start(EndedHandler ended)
{
    ended_ = std::move(ended);
    process_ = new QProcess(&context_);
    process_->setProgram(QString::fromStdString(wine_));
    process_->setArguments({QString::fromStdString(path_), "/s"});
    const std::size_t slash = path_.rfind('/');
    if (slash != std::string::npos)
        process_->setWorkingDirectory(QString::fromStdString(path_.substr(0, slash + 1)));
    // Wine's messages are not the user's business, and an unread pipe would stall it.
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->setChildProcessModifier([] {
        setpgid(0, 0);
        // Should the companion itself die, the program goes with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    // Queued: a program that fails to start reports it from inside start().
    QObject::connect(
        process_, &QProcess::finished, &context_, [this] { Ended(); }, Qt::QueuedConnection);
    QObject::connect(
        process_, &QProcess::errorOccurred, &context_,
        [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                Ended();
        },
        Qt::QueuedConnection);
    process_->start();
    group_ = process_->processId();
}

void WineProgram::Ended()
{
    if (stopping_ || !ended_)
        return;
    // Whatever it left behind goes with it.
    SignalGroup(group_, SIGKILL);
    group_ = 0;
    const EndedHandler ended = std::move(ended_);
    ended_ = nullptr;
    ended();
}

void WineProgram::BeginStop()
{
    stopping_ = true;
    SignalGroup(group_, SIGTERM);
}

void WineProgram::Stop()
{
    if (!process_)
        return;
    BeginStop();
    if (process_->state() != QProcess::NotRunning && !process_->waitForFinished(500)) {
        SignalGroup(group_, SIGKILL);
        process_->waitForFinished(1000);
    }
    SignalGroup(group_, SIGKILL);
    group_ = 0;
    delete process_;
    process_ = nullptr;
}

} // namespace kdx::saver::posix
