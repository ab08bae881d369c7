// The agent under other programs' control: the first argument of the command line, a switch
// handed to the running agent, and the main window's answers and announcements.
#include "AppTestSupport.h"
#include "app/AgentCommandLine.h"
#include "app/Panels.h"
#include "app/TfrmMain.h"
#include "platform/Platform.h"
#include "support/Sandbox.h"
#include "support/Services.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace kdx;

namespace {

TEST(CommandLine, TheFirstArgumentIsAStartASwitchForTheAgentTheListOrRefused)
{
    const auto parse = [](std::vector<const char*> args) {
        args.insert(args.begin(), "KDX3");
        return ParseCommandLine(int(args.size()), args.data());
    };
    EXPECT_EQ(parse({}).kind, TCommandLine::Start);
    EXPECT_EQ(parse({""}).kind, TCommandLine::Start) << "an empty argument is no switch";
    EXPECT_EQ(parse({"/nominimize", "/status"}).kind, TCommandLine::StartShown) << "only the first counts";
    for (const platform::AgentVerb& verb : platform::AgentVerbs)
        for (const char* prefix : {"/", "-"}) {
            const TCommandLine line = parse({(std::string(prefix) + verb.name).c_str()});
            EXPECT_EQ(line.kind, TCommandLine::Verb) << prefix << verb.name;
            EXPECT_EQ(line.verb, &verb) << prefix << verb.name;
        }
    EXPECT_EQ(parse({"/nextwallpaper"}).verb->message, platform::WM_AGENT_NEXT_WALLPAPER);
    for (const char* help : {"/?", "-?", "/h", "-h", "--help", "/help", "-help"})
        EXPECT_EQ(parse({help}).kind, TCommandLine::Help) << help;
    // A switch the agent does not know is never taken for a start: not in another letter case,
    // nor with Qt's or GNU's spelling, nor a bare word.
    for (const char* other :
        {"/STATUS", "/Show", "--status", "status", "/stat", "/statuses", "/", "-", "x", "-platform", "/nominimize "}) {
        const TCommandLine line = parse({other});
        EXPECT_EQ(line.kind, TCommandLine::Unknown) << "'" << other << "'";
        EXPECT_EQ(line.argument, other);
    }
    EXPECT_EQ(UnknownSwitch("/bogus"), "KDX3: unknown switch \"/bogus\"; KDX3 /? lists the switches.");
}

TEST(CommandLine, TheListNamesEverySwitch)
{
    const std::string usage = Usage();
    EXPECT_NE(usage.find("/nominimize"), std::string::npos);
    for (const platform::AgentVerb& verb : platform::AgentVerbs) {
        EXPECT_NE(usage.find(std::string("  /") + verb.name + " "), std::string::npos) << verb.name;
        EXPECT_NE(usage.find(verb.help), std::string::npos) << verb.name;
    }
}

// The rendezvous as a test plays it: who is running and what it answers.
class PlayedInstance : public platform::IInstance {
public:
    bool PostToRunning(const std::string&, unsigned) override { return false; }
    platform::HandOver SendToRunning(
        const std::string& name, unsigned message, std::string& answer, int timeoutMs) override
    {
        sent.push_back(name + " " + std::to_string(message) + " " + std::to_string(timeoutMs));
        if (result == platform::HandOver::Taken)
            answer = reply;
        return result;
    }
    bool Listen(const std::string&, Receiver) override { return false; }
    void StopListening() override { }
    platform::HandOver result = platform::HandOver::Taken;
    std::string reply;
    std::vector<std::string> sent;
};

class RecordedConsole : public IConsole {
public:
    void Out(const std::string& text) override { out += text; }
    void Error(const std::string& text) override { error += text; }
    std::string out, error;
};

TEST(CommandLine, ASwitchReachesTheRunningAgentOrSaysWhyNot)
{
    const platform::AgentVerb& status = *ParseCommandLine(2, std::vector<const char*> {"KDX3", "/status"}.data()).verb;
    PlayedInstance instance;
    RecordedConsole console;
    instance.reply = "Wallpaper: /p/red.bmp\n";
    EXPECT_EQ(RunVerb(instance, status, console, 500), ExitDone);
    EXPECT_EQ(instance.sent, std::vector<std::string> {"KaleidraAgent 5124 500"});
    EXPECT_EQ(console.out, "Wallpaper: /p/red.bmp\n");
    EXPECT_EQ(console.error, "");

    console = {};
    instance.result = platform::HandOver::NoAgent;
    EXPECT_EQ(RunVerb(instance, status, console), ExitNoAgent);
    EXPECT_EQ(console.error, texts::NoAgentRunning);
    EXPECT_EQ(console.out, "");
    console = {};
    instance.result = platform::HandOver::NotTaken;
    EXPECT_EQ(RunVerb(instance, status, console), ExitNotTaken);
    EXPECT_EQ(console.error, texts::CommandNotTaken);
}

// What the agent tells the session bus, as a panel's widget would follow it.
class RecordingBus : public platform::IAgentBus {
public:
    RecordingBus() : scope_(test::WithService(&platform::Services::agentBus, this)) { }
    bool Publish(Commands) override { return true; }
    void StateChanged(const platform::AgentState& state) override { states.push_back(state); }
    void WallpaperChanged(const std::string& picture) override { pictures.push_back(picture); }
    void Withdraw() override { }
    std::vector<platform::AgentState> states;
    std::vector<std::string> pictures;

private:
    platform::ScopedServices scope_;
};

// A desktop whose windows can be walked, as an X11 session's, with nothing to walk.
class EmptyDesktop : public platform::IDesktopWindows {
public:
    EmptyDesktop() : scope_(test::WithService(&platform::Services::desktopWindows, this)) { }
    platform::WindowHandle FindDesktopIconsWindow() override { return 0; }
    void ShowWindow(platform::WindowHandle, bool) override { }
    platform::WindowHandle NextWindow(platform::WindowHandle) override { return 0; }
    bool IsWindowVisible(platform::WindowHandle) override { return false; }
    void Minimize(platform::WindowHandle) override { }
    bool CanWalkWindows() override { return true; }
    bool ShowDesktop() override { return false; }

private:
    platform::ScopedServices scope_;
};

class AgentControl : public ::testing::Test {
protected:
    AgentControl() { std::filesystem::create_directories(pics); }

    void Picture(const std::string& name)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(QString::fromStdString(pics + name), "BMP"));
    }
    void Start(const std::string& ini)
    {
        test::Sandbox::Write(box.IniPath(), ini);
        main = std::make_unique<TfrmMain>(TFormCatalog {StandardPanels(), {}});
        main->Now = [this] { return clock; };
        main->Pause = [this](int ms) { clock = TDateTime::FromMs(clock.Ms() + ms); };
        main->FormCreate();
    }
    std::string Stamp() const
    {
        const std::string ini = test::Sandbox::Read(box.IniPath());
        const size_t at = ini.find("PrevChange=");
        return at == std::string::npos ? "" : ini.substr(at + 11, ini.find('\n', at) - at - 11);
    }
    static std::int64_t Epoch(int h, int m, int s)
    {
        return QDateTime(QDate(2026, 12, 8), QTime(h, m, s), Qt::LocalTime).toSecsSinceEpoch();
    }

    test::Sandbox box;
    test::ShellRecorder shell;
    RecordingBus bus;
    EmptyDesktop desktop;
    std::string pics = box.Root() + "/pics/";
    TDateTime clock = TDateTime::FromCivil({2026, 12, 8, 9, 0, 0, 0});
    std::unique_ptr<TfrmMain> main;
};

TEST_F(AgentControl, TheStatusSaysTheWallpaperTheNextChangeAndTheListsSizes)
{
    Picture("blue.bmp");
    Start("[Misc]\n[SaverList]\n0=/s/a.scr\n1=/s/b.scr\n[ImageList]\n0=/p/x.jpg\n[PaperList]\n0=" + pics
        + "blue.bmp\n[Wallpaper]\nCycle=2\nInterval=90\n");
    EXPECT_EQ(main->AgentMessage(platform::WM_AGENT_STATUS),
        "Wallpaper: " + pics
            + "blue.bmp\nNext change: 2026-12-08 09:01:30\nScreensavers: 2\nFlash movies: 0\nPictures: 1\n"
              "Wallpapers: 1\n");
    const platform::AgentState state = main->CurrentState(true);
    EXPECT_EQ(state.nextChange, Epoch(9, 1, 30)) << "seconds since 1970";
    EXPECT_EQ(state.savers, 2);

    // With the rotation off no change is due, and nothing was put on the desktop in this run.
    main.reset();
    Start("[PaperList]\n0=" + pics + "blue.bmp\n[Wallpaper]\nActivate=0\n");
    EXPECT_EQ(main->StatusText(),
        "Wallpaper: not changed since the agent started\nNext change: none (the rotation is off)\nScreensavers: 0\n"
        "Flash movies: 0\nPictures: 0\nWallpapers: 1\n");
    EXPECT_EQ(main->CurrentState(false).nextChange, 0);
}

// A command handed over is answered at once and carried out from the event loop, so that a
// report it raises never keeps the asking program waiting; a message the agent does not know is
// not taken.
TEST_F(AgentControl, CommandsAreTakenAtOnceAndCarriedOutFromTheEventLoop)
{
    Picture("blue.bmp");
    Start("[PaperList]\n0=" + pics + "blue.bmp\n[Wallpaper]\nActivate=0\nPrevChange=2026-01-01\n");
    EXPECT_EQ(main->AgentMessage(platform::WM_AGENT_NEXT_WALLPAPER), "");
    EXPECT_EQ(main->AgentMessage(platform::WM_AGENT_EXECUTE), "");
    EXPECT_EQ(main->AgentMessage(platform::WM_AGENT_ACTIVATE), "");
    EXPECT_EQ(main->AgentMessage(platform::WM_AGENT_CLEAR_DESKTOP), "");
    EXPECT_EQ(Stamp(), "2026-01-01");
    EXPECT_TRUE(shell.shell.launches.empty());
    EXPECT_FALSE(main->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:00") << "Next Wallpaper";
    EXPECT_EQ(shell.shell.launches, std::vector<std::string> {"open|KDXSaver.SCR|"}) << "Execute Screensaver";
    EXPECT_TRUE(main->isVisible()) << "the window shown";
    EXPECT_FALSE(main->findChild<QAction*>("mnuClearDesktop")->isEnabled()) << "Clear Desktop";
    EXPECT_EQ(main->AgentMessage(0x1499), std::nullopt);
    EXPECT_EQ(main->AgentMessage(0x0400), std::nullopt);
}

// The session bus hears of each picture put on the desktop, by the rotation or the wallpaper
// editor, and of each move of the next change, once.
TEST_F(AgentControl, TheBusHearsOfEachChangeAndEachMoveOfTheNextOne)
{
    Picture("blue.bmp");
    Start("[PaperList]\n0=" + pics + "blue.bmp\n[Wallpaper]\nCycle=2\nInterval=60\n");
    EXPECT_EQ(bus.pictures, std::vector<std::string> {pics + "blue.bmp"}) << "the change at start";
    ASSERT_FALSE(bus.states.empty());
    EXPECT_EQ(bus.states.back().currentWallpaper, pics + "blue.bmp");
    EXPECT_EQ(bus.states.back().nextChange, Epoch(9, 1, 0));
    clock = TDateTime::FromCivil({2026, 12, 8, 9, 1, 0, 0});
    main->TimerPaperTimer();
    EXPECT_EQ(bus.pictures.size(), 2u);
    EXPECT_EQ(bus.states.back().nextChange, Epoch(9, 2, 0)) << "a period after the new stamp";
    main->WallpaperShown("/p/from-the-editor.jpg");
    EXPECT_EQ(bus.pictures.back(), "/p/from-the-editor.jpg");
    EXPECT_EQ(main->CurrentState(false).currentWallpaper, "/p/from-the-editor.jpg");
    main->EnableTimerPaper(false);
    EXPECT_EQ(bus.states.back().nextChange, 0) << "the rotation switched off";
}

} // namespace
