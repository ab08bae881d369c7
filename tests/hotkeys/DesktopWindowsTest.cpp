// Clear Desktop and Restore under a real window manager (openbox, started here when none runs):
// needs an X server ($DISPLAY), so it runs under Xvfb with the end-to-end tests.
#include "WindowManager.h"
#include "platform/Platform.h"
#include "shell/TPublicUnit.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Handle = kdx::platform::WindowHandle;

bool WaitFor(const std::function<bool()>& condition, int ms = 5000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// The test's own X connection: the other programs whose windows the agent acts on.
class Desktop {
public:
    // Windows of other programs may go at any time: their errors are not fatal here.
    Desktop() : display(XOpenDisplay(nullptr))
    {
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~Desktop()
    {
        for (Window w : windows)
            XDestroyWindow(display, w);
        XCloseDisplay(display);
    }

    Atom Intern(const char* name) { return XInternAtom(display, name, False); }

    std::vector<unsigned long> Property(Window w, const char* name, Atom type)
    {
        XSync(display, False);
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, rest = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> items;
        if (XGetWindowProperty(display, w, Intern(name), 0, 1024, False, type, &actual, &format, &count, &rest, &data)
                == Success
            && data && format == 32)
            items.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
        if (data)
            XFree(data);
        return items;
    }

    // A top-level window of the given EWMH type and states, mapped and waited for.
    Window Open(const char* type, std::vector<const char*> states = {})
    {
        const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0xFFFFFF);
        windows.push_back(w);
        const Atom typeAtom = Intern(type);
        XChangeProperty(display, w, Intern("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&typeAtom), 1);
        std::vector<Atom> stateAtoms;
        for (const char* s : states)
            stateAtoms.push_back(Intern(s));
        XChangeProperty(display, w, Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(stateAtoms.data()), int(stateAtoms.size()));
        // A window manager that is still starting may drop the request: ask again.
        bool shown = false;
        for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
            XMapWindow(display, w);
            shown = WaitFor([&] { return Viewable(w); }, 1000);
        }
        EXPECT_TRUE(shown);
        return w;
    }

    bool Viewable(Window w)
    {
        XWindowAttributes a {};
        XSync(display, False);
        return XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable;
    }

    bool Iconic(Window w)
    {
        const Atom wmState = Intern("WM_STATE");
        const auto state = Property(w, "WM_STATE", wmState);
        return !state.empty() && state[0] == IconicState;
    }

    bool HasState(Window w, const char* state)
    {
        const auto states = Property(w, "_NET_WM_STATE", XA_ATOM);
        return std::find(states.begin(), states.end(), Intern(state)) != states.end();
    }

    Display* display;
    std::vector<Window> windows;
};

class DesktopWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::getenv("DISPLAY"))
            windowManager = std::make_unique<kdx::test::ScopedWindowManager>();
    }
    static void TearDownTestSuite() { windowManager.reset(); }
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(windowManager->Running()) << "openbox did not start";
    }

    kdx::platform::IDesktopWindows& Windows() { return *kdx::platform::Current().desktopWindows; }

    static inline std::unique_ptr<kdx::test::ScopedWindowManager> windowManager;
    Desktop desktop;
};

TEST_F(DesktopWindows, WithoutADesktopWindowThereIsNothingToShowOrHide)
{
    EXPECT_EQ(0u, Windows().FindDesktopIconsWindow());
    Windows().ShowWindow(0, false);
    Windows().ShowWindow(0, true);
}

TEST_F(DesktopWindows, ClearDesktopMinimisesTheWindowsFromTheAgentDownAndRestoreShowsTheDesktopAgain)
{
    const Window icons = desktop.Open("_NET_WM_WINDOW_TYPE_DESKTOP", {"_NET_WM_STATE_SKIP_TASKBAR"});
    const Window below = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    const Window agent = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    const Window above = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    ASSERT_TRUE(WaitFor([&] {
        const auto order = desktop.Property(DefaultRootWindow(desktop.display), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
        const auto at = [&](Window w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
        return at(above) < long(order.size()) && at(below) < at(agent) && at(agent) < at(above);
    })) << "the windows stack in the order they were opened";
    ASSERT_TRUE(desktop.HasState(icons, "_NET_WM_STATE_SKIP_TASKBAR"));

    EXPECT_EQ(Handle(icons), Windows().FindDesktopIconsWindow());
    Windows().ShowWindow(icons, false);
    EXPECT_TRUE(WaitFor([&] { return !desktop.Viewable(icons); }));
    EXPECT_EQ(Handle(icons), Windows().FindDesktopIconsWindow()) << "found while hidden";

    kdx::TPublicUnit().MinimizeWindows(agent);
    EXPECT_TRUE(WaitFor([&] { return desktop.Iconic(agent) && desktop.Iconic(below); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(desktop.Viewable(above));
    EXPECT_FALSE(desktop.Iconic(above));

    Windows().ShowWindow(icons, true);
    EXPECT_TRUE(WaitFor([&] { return desktop.Viewable(icons); }));
    EXPECT_TRUE(WaitFor([&] { return desktop.HasState(icons, "_NET_WM_STATE_SKIP_TASKBAR"); }))
        << "the window manager's state of the desktop window is back";
    EXPECT_TRUE(desktop.Iconic(agent)) << "Restore does not bring the windows back";
}

} // namespace
