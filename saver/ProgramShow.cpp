#include "ProgramShow.h"

#include <algorithm>

namespace kdx::saver {

ProgramShow::ProgramShow(SaverPlan plan, ProgramFor programFor, LineHandler line, std::function<int(int n)> randomBelow)
    : plan_(std::move(plan)),
      programFor_(std::move(programFor)),
      line_(std::move(line)),
      randomBelow_(std::move(randomBelow))
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
    program_ = programFor_(running_);
    started_.start();
    // Handled on the show's own object: the program is not deleted inside its own handler. The
    // run's number tells a late report of an earlier program.
    const int run = ++runs_;
    program_->Start([this, run] {
        QMetaObject::invokeMethod(
            &context_,
            [this, run] {
                if (run == runs_)
                    Ended();
            },
            Qt::QueuedConnection);
    });
}

void ProgramShow::Ended()
{
    if (!program_)
        return;
    // Whatever it left behind goes with it.
    program_->Stop();
    program_.reset();
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
    if (program_)
        program_->BeginStop();
}

void ProgramShow::Stop()
{
    if (!program_)
        return;
    program_->Stop();
    program_.reset();
}

} // namespace kdx::saver
