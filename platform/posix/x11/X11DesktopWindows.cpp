#include "X11DesktopWindows.h"

#include "X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace kdx::platform::posix {

namespace {

bool IsDesktopType(Display* display, Window window)
{
    const Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    const auto types = WindowProperty32(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    return std::find(types.begin(), types.end(), desktop) != types.end();
}

// The root window's children, bottom first; a withdrawn window is among them too.
std::vector<unsigned long> RootChildren(Display* display)
{
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<unsigned long> all;
    if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count) && children)
        all.assign(children, children + count);
    if (children)
        XFree(children);
    return all;
}

// The top-level windows from the bottom of the stacking order to its top.
std::vector<unsigned long> StackingOrder(Display* display)
{
    auto managed = WindowProperty32(display, DefaultRootWindow(display), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    return managed.empty() ? RootChildren(display) : managed;
}

} // namespace

WindowHandle X11DesktopWindows::FindDesktopIconsWindow()
{
    Display* display = X11Display();
    if (!display)
        return 0;
    XErrorTrap trap(display);
    for (const auto& candidates :
        {WindowProperty32(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW), RootChildren(display)})
        for (unsigned long window : candidates)
            if (IsDesktopType(display, window))
                return window;
    return 0;
}

void X11DesktopWindows::ShowWindow(WindowHandle window, bool show)
{
    Display* display = X11Display();
    if (!display || window == 0)
        return;
    XErrorTrap trap(display);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    if (show) {
        if (const auto it = savedStates_.find(window); it != savedStates_.end()) {
            XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                reinterpret_cast<const unsigned char*>(it->second.data()), int(it->second.size()));
            savedStates_.erase(it);
        }
        XMapWindow(display, window);
    } else {
        if (!savedStates_.count(window))
            savedStates_[window] = WindowProperty32(display, window, "_NET_WM_STATE", XA_ATOM);
        XWithdrawWindow(display, window, DefaultScreen(display));
    }
    XFlush(display);
}

WindowHandle X11DesktopWindows::NextWindow(WindowHandle window)
{
    Display* display = X11Display();
    if (!display)
        return 0;
    XErrorTrap trap(display);
    std::vector<unsigned long> order = StackingOrder(display);
    if (window == lastNext_ && std::find(order.begin(), order.end(), window) == order.end())
        order = lastOrder_;
    lastOrder_ = order;
    const auto it = std::find(order.begin(), order.end(), window);
    // A hidden window has left the stacking order; it counts as the top-most, where the
    // window it stood for was when it was last used.
    if (it == order.end())
        lastNext_ = order.empty() ? 0 : order.back();
    else
        lastNext_ = it == order.begin() ? 0 : *(it - 1);
    return lastNext_;
}

bool X11DesktopWindows::IsWindowVisible(WindowHandle window)
{
    Display* display = X11Display();
    if (!display || window == 0)
        return false;
    XErrorTrap trap(display);
    XWindowAttributes attributes {};
    return XGetWindowAttributes(display, window, &attributes) && trap.Failed() == 0
        && attributes.map_state == IsViewable;
}

void X11DesktopWindows::Minimize(WindowHandle window)
{
    Display* display = X11Display();
    if (!display || window == 0)
        return;
    XErrorTrap trap(display);
    XIconifyWindow(display, window, DefaultScreen(display));
    XFlush(display);
}

bool X11DesktopWindows::CanWalkWindows() { return X11Display() != nullptr; }

} // namespace kdx::platform::posix
