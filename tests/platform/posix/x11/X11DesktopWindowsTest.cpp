// Clear Desktop and Restore under a real window manager (openbox, started here when none runs):
// needs an X server ($DISPLAY), so it runs under Xvfb with the end-to-end tests.
#include "platform/Platform.h"
#include "shell/TPublicUnit.h"
#include "support/x11/WindowManagerTest.h"

#include <gtest/gtest.h>

#include "support/x11/TestWindows.h"

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
using kdx::test::Desktop;
using kdx::test::WaitFor;

class DesktopWindows : public kdx::test::WindowManagerTest {
protected:
    kdx::platform::IDesktopWindows& Windows() { return *kdx::platform::Current().desktopWindows; }

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
    // The window manager writes the states of the windows it takes on in its own time.
    ASSERT_TRUE(WaitFor([&] { return desktop.HasState(icons, "_NET_WM_STATE_SKIP_TASKBAR"); }));

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

TEST_F(DesktopWindows, AWindowThatLeavesTheOrderDuringAWalkDoesNotTurnItUpwards)
{
    const Window low = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    const Window middle = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    const Window high = desktop.Open("_NET_WM_WINDOW_TYPE_NORMAL");
    const auto stacking
        = [&] { return desktop.Property(DefaultRootWindow(desktop.display), "_NET_CLIENT_LIST_STACKING", XA_WINDOW); };
    ASSERT_TRUE(WaitFor([&] { return stacking() == std::vector<unsigned long> {low, middle, high}; }));
    ASSERT_EQ(Windows().NextWindow(high), Handle(middle));
    // The middle window is hidden, and the window manager lets it go, before the walk's next step.
    Windows().ShowWindow(middle, false);
    ASSERT_TRUE(WaitFor([&] { return stacking() == std::vector<unsigned long> {low, high}; }));
    EXPECT_EQ(Windows().NextWindow(middle), Handle(low));
    // Outside a walk, a hidden window still counts as the top-most, as the agent's own does.
    EXPECT_EQ(Windows().NextWindow(middle), Handle(high));
    Windows().ShowWindow(middle, true);
}

} // namespace
