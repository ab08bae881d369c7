// Global atoms, hot keys and the window functions of the desktop commands, on windows of the
// test's own (Wine's null display driver gives real windows without a screen).
#include "platform/win32/Win32Atoms.h"
#include "platform/win32/Win32DesktopWindows.h"
#include "platform/win32/Win32HotKeys.h"

#include <gtest/gtest.h>
#include <random>
#include <windows.h>

// The interface keeps the plain name that windows.h turns into a macro.
#undef GlobalAddAtom

using namespace kdx::platform;

namespace {

class Windows : public ::testing::Test {
protected:
    std::string className = "KdxTestWindow" + std::to_string(std::random_device()());

    Windows()
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className.c_str();
        RegisterClassA(&windowClass);
    }
    ~Windows() override
    {
        for (HWND w : windows_)
            DestroyWindow(w);
        UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
    }

    WindowHandle MakeWindow(bool visible)
    {
        const HWND w = CreateWindowExA(0, className.c_str(), "test", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
            0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
        return reinterpret_cast<WindowHandle>(w);
    }

    static void PumpMessages()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

private:
    std::vector<HWND> windows_;
};

TEST_F(Windows, AtomsAreSharedCountedAndCaseBlind)
{
    win32::Win32Atoms atoms;
    const std::string name = "KaleidraTestAtom" + className;
    const std::uint16_t atom = atoms.GlobalAddAtom(name);
    ASSERT_GE(atom, FirstStringAtom);
    EXPECT_EQ(atoms.GlobalAddAtom(name), atom) << "the same atom while it exists";
    char found[64] = {};
    EXPECT_GT(GlobalGetAtomNameA(atom, found, sizeof found), 0u);
    EXPECT_EQ(atoms.GlobalDeleteAtom(atom), 0) << "one of two counts dropped";
    EXPECT_EQ(GlobalFindAtomA(name.c_str()), atom);
    EXPECT_EQ(atoms.GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtomA(name.c_str()), 0) << "gone with the last count";
}

TEST_F(Windows, HotKeysAreOwnedByOneWindowAndReachItsHandler)
{
    win32::Win32HotKeys hotKeys;
    const WindowHandle owner = MakeWindow(false), other = MakeWindow(false);
    const unsigned mods = ModControl | ModAlt;
    ASSERT_TRUE(hotKeys.RegisterHotKey(owner, 7, mods, 'Q'));
    EXPECT_FALSE(hotKeys.RegisterHotKey(other, 8, mods, 'Q')) << "the key is taken";

    std::vector<int> pressed;
    hotKeys.SetHandler(owner, [&](int id) { pressed.push_back(id); });
    PostMessageA(reinterpret_cast<HWND>(owner), WM_HOTKEY, 7, MAKELPARAM(mods, 'Q'));
    PumpMessages();
    EXPECT_EQ(pressed, std::vector<int> {7});

    hotKeys.SetHandler(owner, nullptr);
    PostMessageA(reinterpret_cast<HWND>(owner), WM_HOTKEY, 7, 0);
    PumpMessages();
    EXPECT_EQ(pressed.size(), 1u) << "no delivery after the handler is gone";

    EXPECT_TRUE(hotKeys.UnregisterHotKey(owner, 7));
    EXPECT_FALSE(hotKeys.UnregisterHotKey(owner, 7)) << "no longer registered";
    EXPECT_TRUE(hotKeys.RegisterHotKey(other, 8, mods, 'Q')) << "free again";
    hotKeys.UnregisterHotKey(other, 8);
}

TEST_F(Windows, DesktopCommandsWalkHideAndMinimise)
{
    win32::Win32DesktopWindows desktop;
    const WindowHandle lower = MakeWindow(true), upper = MakeWindow(true);
    SetWindowPos(reinterpret_cast<HWND>(upper), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    int steps = 0;
    bool passedLower = false;
    for (WindowHandle w = upper; w && steps < 10000; w = desktop.NextWindow(w), ++steps)
        passedLower = passedLower || w == lower;
    EXPECT_TRUE(passedLower) << "the walk down the stacking order meets the lower window";
    EXPECT_LT(steps, 10000) << "and ends";

    EXPECT_TRUE(desktop.IsWindowVisible(lower));
    desktop.ShowWindow(lower, false);
    EXPECT_FALSE(desktop.IsWindowVisible(lower));
    desktop.ShowWindow(lower, true);
    EXPECT_TRUE(desktop.IsWindowVisible(lower));
    desktop.ShowWindow(0, false); // no window: nothing happens

    desktop.Minimize(upper);
    EXPECT_FALSE(IsIconic(reinterpret_cast<HWND>(upper))) << "posted, not sent";
    PumpMessages();
    EXPECT_TRUE(IsIconic(reinterpret_cast<HWND>(upper)));
}

} // namespace
