#include "Win32DesktopWindows.h"

#include <windows.h>

namespace kdx::platform::win32 {

namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

} // namespace

WindowHandle Win32DesktopWindows::FindDesktopIconsWindow()
{
    return reinterpret_cast<WindowHandle>(FindWindowA("progman", nullptr));
}

void Win32DesktopWindows::ShowWindow(WindowHandle window, bool show)
{
    if (window)
        ::ShowWindow(Hwnd(window), show ? SW_SHOW : SW_HIDE);
}

WindowHandle Win32DesktopWindows::NextWindow(WindowHandle window)
{
    return reinterpret_cast<WindowHandle>(GetWindow(Hwnd(window), GW_HWNDNEXT));
}

bool Win32DesktopWindows::IsWindowVisible(WindowHandle window) { return ::IsWindowVisible(Hwnd(window)) != FALSE; }

void Win32DesktopWindows::Minimize(WindowHandle window) { PostMessageA(Hwnd(window), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

} // namespace kdx::platform::win32
