// The real agent under an X server ($DISPLAY) with xdotool: its hot keys show the hidden window
// and start the companion screensaver (a stand-in script on the search path), and new letters
// from the settings file or the preference dialog take the place of the old ones.
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using kdx::test::Sandbox;

bool WaitFor(const std::function<bool()>& condition, int ms = 8000)
{
    for (int waited = 0; waited < ms; waited += 50) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

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

class AgentHotKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        const std::string runtime = box.Root() + "/run", bin = box.Root() + "/bin";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        std::filesystem::create_directories(bin);
        box.SetEnv("XDG_RUNTIME_DIR", runtime);
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
        char program[] = KDX3_PROGRAM;
        char* argv[] = {program, nullptr};
        ASSERT_EQ(0, posix_spawn(&agent, program, nullptr, nullptr, argv, environ));
        ASSERT_TRUE(WaitFor([&] { return Held(key); })) << "the agent did not register its hot key";
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
    EXPECT_TRUE(Held(XK_e));
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
    EXPECT_TRUE(Held(XK_z)) << "only the first character counts";
    EXPECT_FALSE(Held(XK_a));
    EXPECT_FALSE(Held(XK_e));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+e ctrl+alt+x"));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+q"));
    EXPECT_TRUE(WaitFor([&] { return WindowShown(); }));
    EXPECT_FALSE(Sandbox::Exists(Marker()));
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+z"));
    EXPECT_TRUE(SaverStarted());
}

TEST_F(AgentHotKeys, AnEmptyActivateLetterRegistersOnlyTheScreensaverKey)
{
    Sandbox::Write(box.IniPath(), "[Misc]\nActivateHotKey=\n");
    StartAgent(XK_e);
    EXPECT_FALSE(Held(XK_a));
}

TEST_F(AgentHotKeys, LettersChangedInThePreferenceDialogReplaceTheOldKeys)
{
    StartAgent(XK_a);
    ASSERT_TRUE(Shell("xdotool key ctrl+alt+a"));
    ASSERT_TRUE(WaitFor([&] { return WindowShown(); }));
    ASSERT_TRUE(Shell("xdotool search --onlyvisible --name '^Kaleidra Agent$' windowfocus --sync key F2"));
    ASSERT_TRUE(WaitFor([&] { return Shell("xdotool search --onlyvisible --name '^Preference$'"); }));
    // The first control is "Load on system startup"; the hot-key boxes come next in the System group.
    ASSERT_TRUE(Shell("xdotool search --onlyvisible --name '^Preference$' windowfocus --sync"));
    ASSERT_TRUE(Shell("xdotool key Tab q Tab Tab w Return"));
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

} // namespace
