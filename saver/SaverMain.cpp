#include "SaverMain.h"

#include "PictureShow.h"
#include "ProgramShow.h"
#include "SaverCommandLine.h"
#include "SaverPlan.h"
#include "SaverWindow.h"
#include "X11Session.h"

#include "platform/Platform.h"
#include "platform/posix/process/CompanionLock.h"
#include "platform/posix/process/NativeProgram.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/process/Wine.h"
#include "settings/TConfig.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>

namespace kdx::saver {

namespace {

// Where the user is sent by "/c": the settings live in the agent.
inline constexpr const char* SettingsInAgent
    = "The screensaver's lists and options are set in Kaleidra Agent, which is not installed beside it.";
// What a preview shows for screensaver programs, which run only full screen.
inline constexpr const char* ProgramsHaveNoPreview = "Windows screensavers, run by Wine (no preview)";

class Random {
public:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator_); }

private:
    std::mt19937 generator_ {std::random_device {}()};
};

// Ends the event loop on SIGTERM, SIGINT and SIGHUP, so the companion ends what it started
// however it is told to end.
class QuitOnSignals {
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
    ~QuitOnSignals()
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

SaverPlan LoadPlan(Random& random)
{
    try {
        TConfig config;
        return ChoosePlan(config, {platform::posix::WineLoader(), [&random](int n) { return random.Below(n); }});
    } catch (const std::exception& error) {
        // A registry value the store cannot take: said on the screen, like any other reason.
        SaverPlan plan;
        plan.message = error.what();
        return plan;
    }
}

bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Takes the keyboard and the pointer, so that input reaches the companion whichever window
// lies on top (a Windows screensaver's). Another program may hold them (an open menu): tried
// again until they are had.
void GrabInput(SaverWindow& window)
{
    window.activateWindow();
    auto* timer = new QTimer(&window);
    auto keyboard = std::make_shared<bool>(false), pointer = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [&window, timer, keyboard, pointer] {
        QWindow* handle = window.windowHandle();
        *keyboard = *keyboard || handle->setKeyboardGrabEnabled(true);
        *pointer = *pointer || handle->setMouseGrabEnabled(true);
        if (*keyboard && *pointer)
            timer->deleteLater();
    });
    timer->start(20);
}

// The screens' sizes in device pixels, which pictures are prepared for.
std::vector<QSize> DeviceSizes(const QList<QScreen*>& screens)
{
    std::vector<QSize> sizes;
    for (const QScreen* screen : screens)
        sizes.push_back(screen->geometry().size() * screen->devicePixelRatio());
    return sizes;
}

// One window on each screen, black at once, ended by the user's input.
std::vector<std::unique_ptr<SaverWindow>> ShowWindows(const QList<QScreen*>& screens, const std::set<quint32>& held)
{
    std::vector<std::unique_ptr<SaverWindow>> windows;
    for (QScreen* screen : screens) {
        auto window = std::make_unique<SaverWindow>(false, [] { QCoreApplication::exit(0); });
        window->SetHeldKeys(held);
        // On its own screen: where a display has several X screens, a window is made on the
        // first one unless told otherwise.
        window->setScreen(screen);
        window->setGeometry(screen->geometry());
        if (OnX11())
            window->show();
        else
            window->showFullScreen();
        windows.push_back(std::move(window));
    }
    GrabInput(*windows.front());
    return windows;
}

int RunFullScreen(QApplication& app)
{
    // One screensaver at a time: a second start while one runs leaves it be.
    platform::posix::CompanionLock lock;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!lock.Acquire() || screens.isEmpty())
        return 0;
    const QuitOnSignals endOnSignals;
    Random random;
    SaverPlan plan = LoadPlan(random);
    const ShowKind kind = plan.kind; // the plan goes to the picture show whole, list and all
    const auto randomBelow = [&random](int n) { return random.Below(n); };
    std::vector<std::unique_ptr<SaverWindow>> windows;
    const auto showLine = [&windows](const std::string& line) {
        for (const auto& window : windows)
            window->ShowLine(QString::fromStdString(line));
    };
    // The first picture is read while the windows come up; it reaches them from the event loop.
    std::unique_ptr<PictureShow> pictures;
    if (kind == ShowKind::Pictures) {
        pictures = std::make_unique<PictureShow>(
            std::move(plan), DeviceSizes(screens),
            [&windows](const std::vector<ScreenPicture>& picture) {
                for (std::size_t i = 0; i < windows.size() && i < picture.size(); ++i)
                    windows[i]->ShowPicture(picture[i]);
            },
            showLine, randomBelow);
        pictures->Start();
    }
    const X11Session x11;
    windows = ShowWindows(screens, x11.HeldKeys());
    std::unique_ptr<ProgramShow> programs;
    if (kind == ShowKind::Programs) {
        programs = std::make_unique<ProgramShow>(plan, platform::posix::WineLoader(), showLine, randomBelow);
        programs->Start();
    } else if (kind == ShowKind::Nothing) {
        showLine(plan.message);
    }
    app.exec();
    // The screen comes back at once; the programs get a moment to end meanwhile.
    if (programs)
        programs->BeginStop();
    for (const auto& window : windows)
        window->hide();
    QCoreApplication::processEvents();
    pictures.reset();
    programs.reset();
    return 0;
}

int RunPreview(QApplication& app, unsigned long host)
{
    QSize size;
    if (!OnX11() || !XWindowSize(host, size)) {
        std::fprintf(stderr, "KDXSaver.SCR: there is no X window %lu to show a preview in\n", host);
        return 1;
    }
    const QuitOnSignals endOnSignals;
    SaverWindow window(true, {});
    window.winId();
    window.windowHandle()->setParent(QWindow::fromWinId(WId(host)));
    window.setGeometry(0, 0, size.width(), size.height());
    window.show();

    Random random;
    const SaverPlan plan = LoadPlan(random);
    const auto showLine = [&window](const std::string& line) { window.ShowLine(QString::fromStdString(line)); };
    std::unique_ptr<PictureShow> pictures;
    if (plan.kind == ShowKind::Pictures) {
        pictures = std::make_unique<PictureShow>(
            plan, std::vector<QSize> {window.DeviceSize()},
            [&window](const std::vector<ScreenPicture>& picture) { window.ShowPicture(picture.front()); }, showLine,
            [&random](int n) { return random.Below(n); });
        pictures->Start();
    } else {
        showLine(plan.kind == ShowKind::Programs ? ProgramsHaveNoPreview : plan.message);
    }
    // The preview lasts as long as the window it is shown in, and follows its size.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&window, host] {
        QSize now;
        if (!XWindowSize(host, now))
            QCoreApplication::exit(0);
        else if (now != window.size())
            window.resize(now);
    });
    watch.start(250);
    app.exec();
    return 0;
}

// "/c": the agent's window, where the lists and options are set, or a word where it is not.
int Configure(int argc, char** argv)
{
    const std::string agent = ProgramFolder(platform::Current().system->ModuleFileName()) + "/" + KDX_AGENT_PROGRAM;
    if (platform::posix::IsNativeProgram(agent)) {
        platform::posix::StartDetached({agent, "/nominimize"});
        return 0;
    }
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "KDXSaver.SCR", SettingsInAgent);
    return 0;
}

} // namespace

int RunSaver(int argc, char** argv)
{
    const SaverCommand command = ParseSaverCommand(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.mode) {
    case SaverMode::Usage:
        std::fprintf(stderr, "%s\n", SaverUsage);
        return 2;
    case SaverMode::Password:
        return 0;
    case SaverMode::Configure:
        return Configure(argc, argv);
    case SaverMode::Preview: {
        QApplication app(argc, argv);
        return RunPreview(app, command.window);
    }
    case SaverMode::Run:
        break;
    }
    QApplication app(argc, argv);
    return RunFullScreen(app);
}

} // namespace kdx::saver
