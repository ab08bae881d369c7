#include "PosixSaverSystem.h"

#include "WineProgram.h"
#include "X11Session.h"

#include "platform/posix/process/CompanionLock.h"
#include "platform/posix/process/NativeProgram.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/process/Wine.h"
#include "saver/SaverPlan.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kdx::saver {

namespace posix {

namespace {

class HeldLock final : public IHeld {
public:
    platform::posix::CompanionLock lock;
};

// Ends the event loop on SIGTERM, SIGINT and SIGHUP, so the companion ends what it started
// however it is told to end.
class QuitOnSignals final : public IHeld {
public:
    QuitOnSignals()
    {
        if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        writeEnd = pipe_[1];
        struct sigaction action { };
        action.sa_handler = [](int) {
            const char byte = 1;
            [[maybe_unused]] const auto written = write(writeEnd, &byte, 1);
        };
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            sigaction(signal, &action, nullptr);
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] { QCoreApplication::exit(0); });
    }
    ~QuitOnSignals() override
    {
        notifier_.reset();
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            std::signal(signal, SIG_DFL);
        if (writeEnd >= 0) {
            close(pipe_[0]);
            close(pipe_[1]);
        }
        writeEnd = -1;
    }
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    static inline int writeEnd = -1;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The companion's own windows grab the keyboard and the pointer on X, so all input reaches
// them: only the server's screen saver is held off.
class HeldSession final : public IHeld {
public:
    X11Session session;
};

} // namespace

std::unique_ptr<IHeld> PosixSaverSystem::TakeRunLock()
{
    auto held = std::make_unique<HeldLock>();
    if (!held->lock.Acquire())
        return nullptr;
    return held;
}

std::unique_ptr<IHeld> PosixSaverSystem::EndOnRequests() { return std::make_unique<QuitOnSignals>(); }

std::unique_ptr<IHeld> PosixSaverSystem::WatchFullScreen(std::function<void()>)
{
    return std::make_unique<HeldSession>();
}

std::set<quint32> PosixSaverSystem::HeldKeys() { return X11HeldKeys(); }

std::optional<QSize> PosixSaverSystem::HostWindowSize(unsigned long long host)
{
    QSize size;
    if (host > ~0UL || !XWindowSize((unsigned long)host, size))
        return std::nullopt;
    return size;
}

// Qt embeds a window in a foreign X window by giving it that window as its parent.
void PosixSaverSystem::ShowInside(QWidget& window, unsigned long long host, QSize size)
{
    window.winId();
    window.windowHandle()->setParent(QWindow::fromWinId(WId(host)));
    window.setGeometry(0, 0, size.width(), size.height());
    window.show();
}

std::string PosixSaverSystem::ProgramsCannotRun()
{
    return platform::posix::WineLoader().empty() ? texts::NoWine : std::string();
}

bool PosixSaverSystem::IsSaverProgram(const std::string& path)
{
    // A program built for this system is not a Windows screensaver; it might be this very
    // companion, which would start itself again.
    return !platform::posix::IsNativeProgram(path);
}

std::unique_ptr<IRunningProgram> PosixSaverSystem::Program(const std::string& path)
{
    return std::make_unique<WineProgram>(platform::posix::WineLoader(), path);
}

bool PosixSaverSystem::StartAgent(const std::string& program)
{
    if (!platform::posix::IsNativeProgram(program))
        return false;
    platform::posix::StartDetached({program, "/nominimize"});
    return true;
}

} // namespace posix

ISaverSystem& System()
{
    static posix::PosixSaverSystem system;
    return system;
}

} // namespace kdx::saver
