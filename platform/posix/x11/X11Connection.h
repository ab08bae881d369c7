#pragma once
#include <X11/Xlib.h>

#include <functional>
#include <vector>

namespace kdx::platform::posix {

// The agent's own connection to the X server named by $DISPLAY, opened on first use and kept
// for the run; null when there is no X server, or when the running Qt application shows its
// windows elsewhere (the offscreen platform of the tests), so nothing touches a real desktop.
Display* X11Display();

// Hands every event that arrives on the agent's X connection to its function, on the thread that
// runs the Qt event loop, for as long as it lives: the hot keys and the tray's watch share the
// connection's events this way.
class X11EventListener {
public:
    explicit X11EventListener(std::function<void(const XEvent&)> listener);
    ~X11EventListener();
    X11EventListener(const X11EventListener&) = delete;
    X11EventListener& operator=(const X11EventListener&) = delete;

    void Deliver(const XEvent& event) const { listener_(event); }

private:
    std::function<void(const XEvent&)> listener_;
};

// Catches the X errors of the requests made during its lifetime instead of letting Xlib's
// handler end the program, and puts the previous handler back at its end. Errors arrive
// asynchronously, so they are known only after a round trip (XSync), which Failed() makes.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // The first error code since the trap was set (or the last Failed()), then starts afresh; 0 when none.
    int Failed();

private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

// One property of a window as a list of 32-bit items (atoms, windows); empty when absent.
std::vector<unsigned long> WindowProperty32(Display* display, Window window, const char* name, Atom type);

} // namespace kdx::platform::posix
