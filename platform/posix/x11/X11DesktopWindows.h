#pragma once
#include "platform/DesktopWindows.h"

#include <map>
#include <vector>

namespace kdx::platform::posix {

// The desktop-icons window is the EWMH desktop window (window type _NET_WM_WINDOW_TYPE_DESKTOP);
// the stacking order is the window manager's _NET_CLIENT_LIST_STACKING, or the root window's
// children where no window manager keeps one; minimising asks the window manager to iconify.
class X11DesktopWindows : public IDesktopWindows {
public:
    WindowHandle FindDesktopIconsWindow() override;
    void ShowWindow(WindowHandle window, bool show) override;
    WindowHandle NextWindow(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    void Minimize(WindowHandle window) override;
    // Whenever the agent has an X connection; which session that is, is the face's question.
    bool CanWalkWindows() override;

private:
    // The window manager drops _NET_WM_STATE of a window that is unmapped (withdrawn); it is
    // kept here from the hiding to the showing, so the window comes back as it was (below the
    // others, on every workspace, without a task-bar entry).
    std::map<WindowHandle, std::vector<unsigned long>> savedStates_;
    // The stacking order as NextWindow last read it, and the window it gave. When that window
    // has left the order by the next step (a window hidden a moment before, which the window
    // manager has only now let go), the walk goes on from where it stood there, not from the
    // top: a walk down the order never turns upwards.
    std::vector<unsigned long> lastOrder_;
    WindowHandle lastNext_ = 0;
};

} // namespace kdx::platform::posix
