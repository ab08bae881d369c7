#pragma once
#include "WindowHandle.h"

namespace kdx::platform {

// The other programs' top-level windows, as the desktop commands see them.
class IDesktopWindows {
public:
    virtual ~IDesktopWindows() = default;
    // FindWindowA("progman", none): the window that shows the desktop icons, whether shown or
    // hidden; 0 when there is none.
    virtual WindowHandle FindDesktopIconsWindow() = 0;
    // ShowWindow SW_SHOW (Show) or SW_HIDE; no window (0) does nothing.
    virtual void ShowWindow(WindowHandle window, bool show) = 0;
    // GetWindow(Window, GW_HWNDNEXT): the next window below in the stacking order; 0 after the last.
    virtual WindowHandle NextWindow(WindowHandle window) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    // PostMessageA(Window, WM_SYSCOMMAND, SC_MINIMIZE, 0): asks for the minimising, does not wait.
    virtual void Minimize(WindowHandle window) = 0;
    // Whether the other programs' windows can be walked and minimised one by one here; not in
    // a Wayland session, where no program sees another program's windows.
    virtual bool CanWalkWindows() { return true; }
    // Where they cannot: the desktop's own command that shows the bare desktop. False where the
    // desktop has none, and nothing changed.
    virtual bool ShowDesktop() { return false; }
};

} // namespace kdx::platform
