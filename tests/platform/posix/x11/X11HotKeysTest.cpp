// Needs an X server ($DISPLAY) and xdotool: run under Xvfb with the end-to-end tests.
#include <QCoreApplication>
#include <QDeadlineTimer>

#include "platform/posix/x11/X11HotKeys.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <vector>

using namespace kdx::platform;

namespace {

constexpr WindowHandle Agent = 0x1234;
constexpr unsigned CtrlAlt = ModControl | ModAlt;

// Another program on the same X server.
class OtherClient {
public:
    OtherClient() : display_(XOpenDisplay(nullptr)) { }
    ~OtherClient()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool Ok() const { return display_ != nullptr; }

    // Grabs Ctrl+Alt+Key with the given lock modifiers; false when the server refuses (BadAccess).
    bool Grab(KeySym key, unsigned locks = 0)
    {
        XSync(display_, False);
        refused = false;
        auto previous = XSetErrorHandler([](Display*, XErrorEvent* e) {
            refused = refused || e->error_code == BadAccess;
            return 0;
        });
        XGrabKey(display_, XKeysymToKeycode(display_, key), ControlMask | Mod1Mask | locks, DefaultRootWindow(display_),
            False, GrabModeAsync, GrabModeAsync);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return !refused;
    }
    void Ungrab(KeySym key)
    {
        XUngrabKey(display_, XKeysymToKeycode(display_, key), ControlMask | Mod1Mask, DefaultRootWindow(display_));
        XSync(display_, False);
    }

private:
    static inline bool refused = false;
    Display* display_;
};

class X11HotKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_x11_hot_keys";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        hotKeys.SetHandler(Agent, [this](int id) { pressed.push_back(id); });
    }
    void TearDown() override
    {
        for (int id : {1, 2, 3})
            hotKeys.UnregisterHotKey(Agent, id);
    }

    // Types the keys with xdotool and gives the event loop time to deliver them.
    void Press(const char* keys)
    {
        ASSERT_EQ(0, std::system((std::string("xdotool ") + keys).c_str()));
        QDeadlineTimer deadline(700);
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    posix::X11HotKeys hotKeys;
    std::vector<int> pressed;
};

TEST_F(X11HotKeysTest, ARegisteredKeyIsGrabbedOnTheServerWithEveryLockStateUntilUnregistered)
{
    OtherClient other;
    ASSERT_TRUE(other.Ok());
    ASSERT_TRUE(hotKeys.RegisterHotKey(Agent, 1, CtrlAlt, 'A'));
    EXPECT_FALSE(other.Grab(XK_a));
    EXPECT_FALSE(other.Grab(XK_a, LockMask));
    EXPECT_FALSE(other.Grab(XK_a, Mod2Mask));
    EXPECT_FALSE(other.Grab(XK_a, LockMask | Mod2Mask));
    EXPECT_TRUE(hotKeys.UnregisterHotKey(Agent, 1));
    EXPECT_TRUE(other.Grab(XK_a));
    other.Ungrab(XK_a);
}

TEST_F(X11HotKeysTest, AKeyThatAnotherProgramHoldsIsRefusedAndFreeAgainLater)
{
    OtherClient other;
    ASSERT_TRUE(other.Ok());
    ASSERT_TRUE(other.Grab(XK_b));
    EXPECT_FALSE(hotKeys.RegisterHotKey(Agent, 2, CtrlAlt, 'B'));
    EXPECT_FALSE(hotKeys.UnregisterHotKey(Agent, 2)) << "nothing was registered";
    other.Ungrab(XK_b);
    EXPECT_TRUE(hotKeys.RegisterHotKey(Agent, 2, CtrlAlt, 'B'));
}

TEST_F(X11HotKeysTest, OneCombinationBelongsToOneHotKeyAndUnknownCodesAreRefused)
{
    ASSERT_TRUE(hotKeys.RegisterHotKey(Agent, 1, CtrlAlt, 'A'));
    EXPECT_FALSE(hotKeys.RegisterHotKey(Agent, 2, CtrlAlt, 'A'));
    EXPECT_FALSE(hotKeys.RegisterHotKey(Agent, 3, CtrlAlt, 0x40));
    EXPECT_FALSE(hotKeys.UnregisterHotKey(Agent, 3));
}

TEST_F(X11HotKeysTest, PressingTheKeysDeliversTheIdAlsoWithCapsLockOn)
{
    ASSERT_TRUE(hotKeys.RegisterHotKey(Agent, 1, CtrlAlt, 'A'));
    ASSERT_TRUE(hotKeys.RegisterHotKey(Agent, 2, CtrlAlt, '7'));
    Press("key ctrl+alt+a");
    Press("key ctrl+alt+7");
    Press("key ctrl+alt+b alt+a ctrl+a");
    EXPECT_EQ((std::vector<int> {1, 2}), pressed);
    pressed.clear();
    Press("key Caps_Lock ctrl+alt+a Caps_Lock");
    EXPECT_EQ((std::vector<int> {1}), pressed);
    pressed.clear();
    hotKeys.UnregisterHotKey(Agent, 1);
    Press("key ctrl+alt+a");
    EXPECT_TRUE(pressed.empty());
}

} // namespace
