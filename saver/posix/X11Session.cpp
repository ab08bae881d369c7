#include "X11Session.h"

#include "platform/posix/x11/X11Connection.h"

#include <X11/extensions/scrnsaver.h>

namespace kdx::saver::posix {

using platform::posix::X11Display;

namespace {

bool CanSuspend(Display* display)
{
    int events = 0, errors = 0, major = 0, minor = 0;
    return XScreenSaverQueryExtension(display, &events, &errors) && XScreenSaverQueryVersion(display, &major, &minor)
        && (major > 1 || (major == 1 && minor >= 1));
}

} // namespace

X11Session::X11Session()
{
    Display* display = X11Display();
    if (!display)
        return;
    XForceScreenSaver(display, ScreenSaverReset);
    if (CanSuspend(display))
        XScreenSaverSuspend(display, True);
    XFlush(display);
}

X11Session::~X11Session()
{
    if (Display* display = X11Display(); display && CanSuspend(display)) {
        XScreenSaverSuspend(display, False);
        XFlush(display);
    }
}

std::set<quint32> X11HeldKeys()
{
    std::set<quint32> held;
    Display* display = X11Display();
    if (!display)
        return held;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    for (unsigned code = 0; code < 256; ++code)
        if (keys[code / 8] & (1 << (code % 8)))
            held.insert(code);
    return held;
}

bool XWindowSize(unsigned long window, QSize& size)
{
    Display* display = X11Display();
    if (!display)
        return false;
    platform::posix::XErrorTrap trap(display);
    XWindowAttributes attributes {};
    const bool found = XGetWindowAttributes(display, window, &attributes) != 0 && trap.Failed() == 0;
    if (found)
        size = QSize(attributes.width, attributes.height);
    return found;
}

} // namespace kdx::saver::posix
