#pragma once
// Other programs' windows for the end-to-end tests, on the test's own X connection.
// Google Test before Xlib, whose macros (None) break its headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace kdx::test {

// Polls by the clock until Condition holds, at most Ms milliseconds.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// A 32-bit property of a window (atoms, windows) as read from the server; empty when absent.
inline std::vector<unsigned long> Property32(Display* display, Window w, const char* name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(
            display, w, XInternAtom(display, name, False), 0, 1024, False, type, &actual, &format, &count, &rest, &data)
            == Success
        && data && format == 32)
        items.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    if (data)
        XFree(data);
    return items;
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
        return Property32(display, w, name, type);
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
        // Under load, openbox has been seen to take a window on with its states cleared; then it
        // is asked for them the way a program asks for a state change of a mapped window.
        for (const char* s : states)
            if (!WaitFor([&] { return HasState(w, s); }, 500))
                AskForState(w, s);
        for (const char* s : states)
            EXPECT_TRUE(WaitFor([&] { return HasState(w, s); })) << s;
        return w;
    }

    void AskForState(Window w, const char* state)
    {
        XEvent e {};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = Intern("_NET_WM_STATE");
        e.xclient.format = 32;
        e.xclient.data.l[0] = 1; // add
        e.xclient.data.l[1] = long(Intern(state));
        e.xclient.data.l[3] = 1; // from an application
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(display);
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

} // namespace kdx::test
