// The real agent under an X server ($DISPLAY) with xdotool: its hot keys show the hidden window
// and start the companion screensaver (a stand-in script on the search path), and new letters
// from the settings file or the preference dialog take the place of the old ones.
#include "support/Sandbox.h"
#include "support/x11/WindowManagerTest.h"

#include <gtest/gtest.h>

#include "support/x11/TestWindows.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using kdx::test::Sandbox;

// A condition that runs other programs takes a while itself under load.
bool WaitFor(const std::function<bool()>& condition, int ms = 8000) { return kdx::test::WaitFor(condition, ms); }

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Whether some client holds Ctrl+Alt+Key: another client's grab of it is refused.
bool Held(KeySym key)
{
    Display* display = XOpenDisplay(nullptr);
    static bool refused;
    refused = false;
    XSync(display, False);
    auto previous = XSetErrorHandler([](Display*, XErrorEvent* e) {
        refused = refused || e->error_code == BadAccess;
        return 0;
    });
    XGrabKey(display, XKeysymToKeycode(display, key), ControlMask | Mod1Mask, DefaultRootWindow(display), False,
        GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display); // also ends a grab that was ours
    return refused;
}

// Under a window manager, as on a desktop: the preference dialog gets the keyboard focus.
class AgentHotKeys : public kdx::test::WindowManagerTest {
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::string bin = box.Root() + "/bin";
        std::filesystem::create_directories(bin);
        box.SetEnv("PATH", bin + ":" + std::getenv("PATH"));
        Sandbox::Write(bin + "/KDXSaver.SCR", "#!/bin/sh\necho \"started $*\" >> '" + Marker() + "'\n");
        std::filesystem::permissions(bin + "/KDXSaver.SCR", std::filesystem::perms::owner_all);
    }
    void TearDown() override
    {
        if (agent > 0) {
            kill(agent, SIGTERM);
            waitpid(agent, nullptr, 0);
        }
    }

    std::string Marker() const { return box.Root() + "/saver-started"; }

    // Starts the agent hidden in the tray and waits until Key, its first hot key, is held.
    void StartAgent(KeySym key)
    {
        LaunchAgent();
        ASSERT_TRUE(WaitFor([&] { return Held(key); })) << "the agent did not register its hot key";
    }
    void LaunchAgent()
    {
        char program[] = KDX3_PROGRAM;
        char* argv[] = {program, nullptr};
        ASSERT_EQ(0, posix_spawn(&agent, program, nullptr, nullptr, argv, environ));
    }

    bool WindowShown() { return Shell("xdotool search --onlyvisible --name '^Kaleidra Agent$'"); }
    bool SaverStarted()
    {
        return WaitFor([&] { return Sandbox::Read(Marker()) == "started /S\n"; }, 3000);
    }

    Sandbox box;
    pid_t agent = 0;
};

TEST_F(AgentHotKeys, WithTheDefaultsCtrlAltAShowsTheHiddenWindowAndCtrlAltEStartsTheScreensaver)
{
    StartAgent(XK_a);
    EXPECT_TRUE(WaitFor([&] { return Held(XK_e); }));
    EXPECT_FALSE(WindowShown());
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+a"));
    EXPECT_TRUE(WaitFor([&] { return WindowShown(); }));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+e"));
    EXPECT_TRUE(SaverStarted());
}

TEST_F(AgentHotKeys, HandEditedLettersAreUsedAndALowerCaseLetterMeansItsKey)
{
    Sandbox::Write(box.IniPath(), "[Misc]\nActivateHotKey=q\nExecuteHotKey=Zx\n");
    StartAgent(XK_q);
    EXPECT_TRUE(WaitFor([&] { return Held(XK_z); })) << "only the first character counts";
    EXPECT_FALSE(Held(XK_a));
    EXPECT_FALSE(Held(XK_e));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+e ctrl+alt+x"));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+q"));
    EXPECT_TRUE(WaitFor([&] { return WindowShown(); }));
    EXPECT_FALSE(Sandbox::Exists(Marker()));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+z"));
    EXPECT_TRUE(SaverStarted());
}

TEST_F(AgentHotKeys, LettersChangedInThePreferenceDialogReplaceTheOldKeys)
{
    StartAgent(XK_a);
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+a"));
    ASSERT_TRUE(WaitFor([&] { return WindowShown(); }));
    // F2 counts only once the window knows it has the focus, which xdotool cannot wait for.
    // Keys go in a command of their own: chained after a search, xdotool sends them to the found
    // window, and once a key closes or covers that window, the key's release goes to a window
    // that has lost the focus as a mere message, which leaves the key held down in the X server
    // for the tests that come after.
    const auto dialogShown = [&] { return Shell("xdotool search --onlyvisible --name '^Preference$'"); };
    for (int attempt = 0; attempt < 10 && !dialogShown(); ++attempt) {
        Shell("xdotool search --onlyvisible --name '^Kaleidra Agent$' windowfocus --sync sleep 0.3");
        Shell("xdotool key F2");
        WaitFor(dialogShown, 1000);
    }
    ASSERT_TRUE(dialogShown());
    // The first control is "Load on system startup"; the hot-key boxes come next in the System group.
    Shell("xdotool search --onlyvisible --name '^Preference$' windowfocus sleep 0.5");
    Shell("xdotool key Tab q Tab Tab w Return");
    EXPECT_TRUE(WaitFor([&] { return Held(XK_w) && !Held(XK_e); }));
    EXPECT_TRUE(Held(XK_q));
    EXPECT_FALSE(Held(XK_a));
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("ActivateHotKey=Q"), std::string::npos) << ini;
    EXPECT_NE(ini.find("ExecuteHotKey=W"), std::string::npos) << ini;
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+e"));
    EXPECT_FALSE(SaverStarted());
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+w"));
    EXPECT_TRUE(SaverStarted());
}

// Picks an item of the agent's tray menu by keys, after a right click on its icon in a tray host.
class TrayMenu {
public:
    TrayMenu()
    {
        char program[] = "trayer";
        char* argv[] = {program, nullptr};
        if (posix_spawnp(&trayer_, program, nullptr, nullptr, argv, environ) != 0)
            trayer_ = 0;
    }
    ~TrayMenu()
    {
        if (trayer_ > 0) {
            kill(trayer_, SIGTERM);
            waitpid(trayer_, nullptr, 0);
        }
    }
    // The icon is the agent's window that the tray host's panel holds.
    bool IconShown() { return Shell(IconCommand()); }
    void Choose(const std::string& keys)
    {
        for (int attempt = 0; attempt < 5 && !MenuOpen(); ++attempt) {
            Shell("xdotool mousemove --window $(" + IconCommand() + ") 8 8 click 3");
            WaitFor([&] { return MenuOpen(); }, 2000);
        }
        // The menu takes the keyboard a moment after it shows, a submenu after it opens.
        Shell("xdotool sleep 0.3 key --delay 200 " + keys);
        WaitFor([&] { return !MenuOpen(); }, 2000);
    }

private:
    // The menu is a visible window of the agent's that the window manager does not manage (as a
    // message box it opens is managed), wider than the icon.
    static bool MenuOpen()
    {
        return Shell("for w in $(xdotool search --onlyvisible --classname KDX3); do xwininfo -id $w; done"
                     " | awk '/Width:/ { w = $2 } /Override Redirect State: yes/ && w >= 30 { found = 1 }"
                     " END { exit !found }'");
    }
    static std::string IconCommand()
    {
        return "for p in $(xdotool search --class trayer); do xwininfo -id $p -tree; done"
               " | awk '/\"KDX3\"/ { print $1; exit }' | grep .";
    }
    pid_t trayer_ = 0;
};

TEST_F(AgentHotKeys, ClearDesktopFromTheTrayMinimisesTheWindowsAndRestoreShowsTheDesktopAgain)
{
    kdx::test::Desktop desktop;
    const Window icons = desktop.Open("_NET_WM_WINDOW_TYPE_DESKTOP", {"_NET_WM_STATE_SKIP_TASKBAR"});
    const Window other = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    TrayMenu tray;
    StartAgent(XK_a);
    ASSERT_TRUE(WaitFor([&] { return tray.IconShown(); })) << "no tray icon";
    // The tray host embeds the icon a little after it appears in its panel.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // Settings, Execute Screensaver, Disable Screensaver, Desktop > Next Wallpaper, Clear Desktop.
    tray.Choose("Down Down Down Down Right Down Return");
    EXPECT_TRUE(WaitFor([&] { return !desktop.Viewable(icons); }));
    // The agent is hidden in the tray, so every window counts as below it.
    EXPECT_TRUE(WaitFor([&] { return desktop.Iconic(other); }));
    // Desktop > Restore, the submenu's last item now that Clear Desktop is disabled.
    tray.Choose("Down Down Down Down Right Up Return");
    EXPECT_TRUE(WaitFor([&] { return desktop.Viewable(icons); }));
    EXPECT_TRUE(WaitFor([&] { return desktop.HasState(icons, "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(desktop.Iconic(other)) << "Restore does not bring the windows back";
}

// In a Wayland session no program may minimise the others' windows; where the desktop has no
// show-desktop command of its own either (no KWin here), Clear Desktop says so and changes nothing.
TEST_F(AgentHotKeys, ClearDesktopWhereTheDesktopAllowsNoneSaysSoAndChangesNothing)
{
    kdx::test::Desktop desktop;
    const Window icons = desktop.Open("_NET_WM_WINDOW_TYPE_DESKTOP", {"_NET_WM_STATE_SKIP_TASKBAR"});
    const Window other = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    TrayMenu tray;
    box.SetEnv("XDG_SESSION_TYPE", "wayland");
    // No session bus either, so no portal or KWin: nothing the desktop offers. (A portal started
    // on the tests' own bus would also stay on their display afterwards.)
    box.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + box.Root() + "/no-session-bus");
    LaunchAgent();
    ASSERT_TRUE(WaitFor([&] { return tray.IconShown(); })) << "no tray icon";
    std::this_thread::sleep_for(std::chrono::seconds(1));
    tray.Choose("Down Down Down Down Right Down Return");
    EXPECT_TRUE(WaitFor([&] { return Shell("xdotool search --onlyvisible --name '^Information$'"); }))
        << "no word to the user";
    EXPECT_TRUE(desktop.Viewable(icons));
    EXPECT_TRUE(desktop.Viewable(other));
    EXPECT_FALSE(desktop.Iconic(other));
}

} // namespace
