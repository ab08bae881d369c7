#include "SaverMain.h"

#include "AgentPlace.h"
#include "PictureShow.h"
#include "ProgramShow.h"
#include "SaverCommandLine.h"
#include "SaverPlan.h"
#include "SaverSystem.h"
#include "SaverWindow.h"

#include "settings/TConfig.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <random>

namespace kdx::saver {

namespace {

// Where the user is sent by "/c": the settings live in the agent.
inline constexpr const char* SettingsInAgent
    = "The screensaver's lists and options are set in Kaleidra Agent, which is not installed beside it.";
// What a preview shows for screensaver programs, which run only full screen.
inline constexpr const char* ProgramsHaveNoPreview = "Windows screensavers (no preview)";

class Random {
public:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator_); }

private:
    std::mt19937 generator_ {std::random_device {}()};
};

SaverPlan LoadPlan(Random& random)
{
    try {
        if (!SettingsKnown(KDX_AGENT_PROGRAM)) {
            SaverPlan plan;
            plan.message = std::string(texts::AgentNotStarted) + ".";
            return plan;
        }
        TConfig config;
        ISaverSystem& system = System();
        return ChoosePlan(config,
            {system.ProgramsCannotRun(), [&system](const std::string& path) { return system.IsSaverProgram(path); },
                [&random](int n) { return random.Below(n); }});
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
    ISaverSystem& system = System();
    const std::unique_ptr<IHeld> lock = system.TakeRunLock();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!lock || screens.isEmpty())
        return 0;
    const std::unique_ptr<IHeld> endOnRequests = system.EndOnRequests();
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
    const std::set<quint32> held = system.HeldKeys();
    const std::unique_ptr<IHeld> watch = system.WatchFullScreen([] { QCoreApplication::exit(0); });
    windows = ShowWindows(screens, held);
    std::unique_ptr<ProgramShow> programs;
    if (kind == ShowKind::Programs) {
        programs = std::make_unique<ProgramShow>(
            plan, [&system](const std::string& path) { return system.Program(path); }, showLine, randomBelow);
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

int RunPreview(QApplication& app, unsigned long long host)
{
    ISaverSystem& system = System();
    const std::optional<QSize> hostSize = system.HostWindowSize(host);
    if (!hostSize) {
        std::fprintf(stderr, "KDXSaver.SCR: there is no window %llu to show a preview in\n", host);
        return 1;
    }
    const QSize size = *hostSize;
    const std::unique_ptr<IHeld> endOnRequests = system.EndOnRequests();
    SaverWindow window(true, {});
    system.ShowInside(window, host, size);

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
    QObject::connect(&watch, &QTimer::timeout, [&window, &system, host] {
        const std::optional<QSize> now = system.HostWindowSize(host);
        if (!now)
            QCoreApplication::exit(0);
        else if (*now != window.size())
            window.resize(*now);
    });
    watch.start(250);
    app.exec();
    return 0;
}

// "/c": the agent's window, where the lists and options are set, or a word where it is not.
int Configure(int argc, char** argv)
{
    for (const std::string& agent : AgentCandidates(KDX_AGENT_PROGRAM))
        if (System().StartAgent(agent))
            return 0;
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "KDXSaver.SCR", SettingsInAgent);
    return 0;
}

} // namespace

int RunSaver(int argc, char** argv)
{
    const SaverCommand command = ParseSaverCommand(std::vector<std::string>(argv + 1, argv + argc),
        System().RunsWithoutSwitch() ? SaverMode::Run : SaverMode::Configure);
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
