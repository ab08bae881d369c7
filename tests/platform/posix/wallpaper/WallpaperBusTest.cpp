// The routes that talk D-Bus, against a recorder that owns the desktop's name on a private
// session bus: KDE Plasma's scripting interface and the desktop portal. The script itself is
// run by the real plasmashell in plasma-e2e.sh where Plasma is installed.
#include "platform/Platform.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/wallpaper/PosixDesktop.h"
#include "support/Sandbox.h"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

using namespace kdx;
using namespace kdx::platform::posix;
using kdx::test::Sandbox;

namespace {

class WallpaperBus : public ::testing::Test {
protected:
    // The portal's answer comes through the event loop, as in the agent.
    static QCoreApplication& App()
    {
        static int argc = 1;
        static char name[] = "test_wallpaper_bus";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        return app;
    }
    QCoreApplication& app = App();
    Sandbox box;
    std::string windows = box.DataHome() + "/kaleidra-agent";
    std::string bitmap = windows + "/KAWalllpaper.bmp";
    std::string log = box.Root() + "/bus.log";
    int daemon = -1, recorder = -1;

    void SetUp() override
    {
        std::filesystem::create_directories(windows);
        Sandbox::Write(bitmap, "BM picture");
        box.SetEnv("DISPLAY", "");
        auto key = platform::Native().registry->OpenKey(platform::desktop::Key);
        key->SetString("Wallpaper", bitmap);
        key->SetString("TileWallpaper", "0");
        key->SetString("WallpaperStyle", "10");
        StartBus();
    }

    void TearDown() override
    {
        for (const int pid : {recorder, daemon})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
    }

    // A session bus of the test's own, at a socket in the sandbox.
    void StartBus()
    {
        const std::string address = "unix:path=" + box.Root() + "/bus";
        daemon = StartChild({FindProgram("dbus-daemon"), "--session", "--nofork", "--address=" + address});
        ASSERT_GT(daemon, 0);
        box.SetEnv("DBUS_SESSION_BUS_ADDRESS", address);
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(box.Root() + "/bus"); }));
    }

    // Option: "refuse", "answer=TEXT", or "respond=N" (the portal request's Response).
    void Record(const std::string& service, const std::string& path, const std::string& option = "")
    {
        std::vector<std::string> argv {KDX_DBUS_TOOL, "record", log, service, path};
        if (!option.empty())
            argv.push_back(option);
        recorder = StartChild(argv);
        ASSERT_GT(recorder, 0);
        const std::string dbusSend = FindProgram("dbus-send");
        ASSERT_TRUE(WaitFor([&] {
            return RunAndWait({dbusSend, "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                  "/org/freedesktop/DBus", "org.freedesktop.DBus.GetNameOwner", "string:" + service},
                       5000)
                == 0;
        })) << "the recorder did not take "
            << service;
    }

    template <typename Condition> static bool WaitFor(Condition condition)
    {
        for (int i = 0; i < 200; ++i) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    std::vector<std::string> Calls()
    {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    platform::WallpaperOutcome Apply(const std::string& desktop)
    {
        box.SetEnv("XDG_CURRENT_DESKTOP", desktop);
        return PosixDesktop().ApplyWallpaperSettings();
    }
};

TEST_F(WallpaperBus, PlasmaGetsAScriptForEveryDesktopContainment)
{
    Record("org.kde.plasmashell", "/PlasmaShell");
    const platform::WallpaperOutcome outcome = Apply("KDE");
    EXPECT_TRUE(outcome.shown) << outcome.detail;
    EXPECT_EQ(outcome.detail, "KDE Plasma (plasmashell over D-Bus)");
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("org.kde.PlasmaShell.evaluateScript|var all = desktops();", 0), 0u) << calls[0];
    EXPECT_NE(calls[0].find("d.writeConfig('Image', 'file://" + windows + "/KAWalllpaper-"), std::string::npos);
    EXPECT_NE(calls[0].find("d.writeConfig('FillMode', 2);"), std::string::npos) << "fill: cropped to the screen";
}

TEST_F(WallpaperBus, APlasmaThatRefusesOrIsAbsentFallsThrough)
{
    EXPECT_EQ(Apply("KDE").detail.rfind("KDE Plasma (plasmashell over D-Bus): plasmashell: "
                                        "org.freedesktop.DBus.Error.ServiceUnknown",
                  0),
        0u);
    Record("org.kde.plasmashell", "/PlasmaShell", "refuse");
    const platform::WallpaperOutcome outcome = Apply("KDE");
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(outcome.detail,
        "KDE Plasma (plasmashell over D-Bus): plasmashell: org.freedesktop.DBus.Error.Failed: refused by the "
        "recorder; the X root window: there is no X display");
}

TEST_F(WallpaperBus, AWaylandDesktopWithoutItsOwnRouteAsksThePortal)
{
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    Record("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "respond=0");
    const platform::WallpaperOutcome outcome = Apply("labwc:wlroots");
    EXPECT_TRUE(outcome.shown) << outcome.detail;
    EXPECT_EQ(outcome.detail, "the desktop portal (org.freedesktop.portal.Wallpaper)");
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    const std::string call = "org.freedesktop.portal.Wallpaper.SetWallpaperURI||file://" + windows + "/KAWalllpaper-";
    EXPECT_EQ(calls[0].rfind(call, 0), 0u) << calls[0];
    EXPECT_EQ(calls[0].substr(calls[0].find(".bmp|")),
        ".bmp|handle_token=kaleidra_request1,set-on=background,show-preview=false");
}

// The portal's answer to SetWallpaperURI is only a request: what the desktop did comes later, in
// the request's Response. A desktop that refuses or whose user cancels has not taken the picture,
// and the next route is tried.
TEST_F(WallpaperBus, APortalThatRefusesOrCancelsIsNoRouteThatShowedThePicture)
{
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    for (const auto& [mode, said] : {std::pair {"respond=2", "the desktop refused the picture"},
             std::pair {"respond=1", "the change was cancelled"}}) {
        SCOPED_TRACE(mode);
        Record("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", mode);
        const platform::WallpaperOutcome outcome = Apply("labwc:wlroots");
        EXPECT_FALSE(outcome.shown);
        EXPECT_EQ(
            outcome.detail.rfind(std::string("the desktop portal (org.freedesktop.portal.Wallpaper): the portal: ")
                    + said + "; a Wayland background (swaybg): ",
                0),
            0u)
            << outcome.detail;
        kill(recorder, SIGTERM);
        waitpid(recorder, nullptr, 0);
        recorder = -1;
    }
}

TEST_F(WallpaperBus, PlasmaGetsEachScreenItsMonitorsPictureAndPrintsWhatEachShows)
{
    Record("org.kde.plasmashell", "/PlasmaShell", "answer=0,0 file:///w/a.bmp\n1280,0 file:///w/other.png\n");
    HandedMonitors handed;
    handed.monitors = {{{"L", 0, 0, 1280, 800, true}, "/w/a.bmp", true}, {{"R", 1280, 0, 1280, 800}, "/w/b.bmp", true},
        {{"T", 0, 800, 1280, 800}, "/w/c.bmp", false}};
    PlasmaRoute plasma;
    const MonitorsTaken taken = plasma.ApplyMonitors(handed);
    EXPECT_EQ(taken.failure, "");
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("org.kde.PlasmaShell.evaluateScript|var want = [[0, 0, 'file:///w/a.bmp'], "
                             "[1280, 0, 'file:///w/b.bmp']];",
                  0),
        0u)
        << "only the fresh monitors, by where their screens lie: " << calls[0];
    ASSERT_EQ(taken.monitors.size(), 3u);
    EXPECT_TRUE(taken.monitors[0].shown);
    EXPECT_FALSE(taken.monitors[1].shown);
    EXPECT_EQ(taken.monitors[1].detail, "Plasma's desktop there shows file:///w/other.png instead");
    EXPECT_EQ(taken.monitors[2].detail, "Plasma has no desktop on a screen at the monitor's place");
}

} // namespace
