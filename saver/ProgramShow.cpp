#include "ProgramShow.h"

#include <QProcess>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace kdx::saver {

namespace {

void SignalGroup(long long group, int signal)
{
    if (group > 0)
        kill(-pid_t(group), signal);
}

} // namespace

ProgramShow::ProgramShow(SaverPlan plan, std::string wine, LineHandler line, std::function<int(int n)> randomBelow)
    : plan_(std::move(plan)), wine_(std::move(wine)), line_(std::move(line)), randomBelow_(std::move(randomBelow))
{
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { Change(); });
}

ProgramShow::~ProgramShow() { Stop(); }

void ProgramShow::Start()
{
    Launch();
    if (plan_.randomType == 0)
        timer_.start(plan_.intervalSeconds * 1000);
}

void ProgramShow::Launch()
{
    if (plan_.items.empty()) {
        line_(NothingToShow({texts::SaversFailed}));
        return;
    }
    std::vector<std::string> choices;
    std::copy_if(plan_.items.begin(), plan_.items.end(), std::back_inserter(choices),
        [this](const std::string& path) { return path != running_ || plan_.items.size() == 1; });
    if (choices.empty())
        choices = plan_.items;
    running_ = choices[std::size_t(randomBelow_(int(choices.size())))];

    process_ = new QProcess(&context_);
    process_->setProgram(QString::fromStdString(wine_));
    process_->setArguments({QString::fromStdString(running_), "/s"});
    const std::size_t slash = running_.rfind('/');
    if (slash != std::string::npos)
        process_->setWorkingDirectory(QString::fromStdString(running_.substr(0, slash + 1)));
    // Wine's messages are not the user's business, and an unread pipe would stall it.
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->setChildProcessModifier([] {
        setpgid(0, 0);
        // Should the companion itself die, the program goes with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    QObject::connect(process_, &QProcess::finished, &context_, [this] { Ended(); });
    QObject::connect(process_, &QProcess::errorOccurred, &context_, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Ended();
    });
    stopping_ = false;
    started_.start();
    QProcess* const launched = process_;
    launched->start();
    // A program that fails to start is dealt with inside start() (Ended launches the next one, or
    // says that none runs); only the one that still runs gives its group.
    if (process_ == launched)
        group_ = launched->processId();
}

void ProgramShow::Ended()
{
    if (stopping_ || !process_)
        return;
    // Whatever it left behind goes with it.
    SignalGroup(group_, SIGKILL);
    group_ = 0;
    process_->deleteLater();
    process_ = nullptr;
    if (started_.elapsed() < QuickEndMs)
        plan_.items.erase(std::remove(plan_.items.begin(), plan_.items.end(), running_), plan_.items.end());
    Launch();
}

void ProgramShow::Change()
{
    if (plan_.items.size() < 2)
        return;
    Stop();
    Launch();
}

void ProgramShow::BeginStop()
{
    if (!process_)
        return;
    stopping_ = true;
    SignalGroup(group_, SIGTERM);
}

void ProgramShow::Stop()
{
    if (!process_)
        return;
    BeginStop();
    if (!process_->waitForFinished(500)) {
        SignalGroup(group_, SIGKILL);
        process_->waitForFinished(1000);
    }
    SignalGroup(group_, SIGKILL);
    group_ = 0;
    delete process_;
    process_ = nullptr;
}

} // namespace kdx::saver
