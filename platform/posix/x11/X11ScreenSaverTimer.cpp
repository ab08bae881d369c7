#include "X11ScreenSaverTimer.h"

// Qt before Xlib, whose macros break Qt's headers.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include "X11Connection.h"
#include "platform/posix/session/DesktopSession.h"

#include <X11/extensions/scrnsaver.h>

namespace kdx::platform::posix {

namespace {

bool HasProperty(Display* display, Window window, const char* name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, name, True);
    if (property == None)
        return false;
    const bool found = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                           &count, &rest, &data)
            == Success
        && type != None;
    if (data)
        XFree(data);
    return found;
}

} // namespace

X11ScreenSaverTimer::~X11ScreenSaverTimer()
{
    delete notifier_;
    if (display_)
        XCloseDisplay(display_);
}

bool X11ScreenSaverTimer::Watch(Handler handler)
{
    handler_ = std::move(handler);
    if (display_)
        return true;
    // X11Display() stays closed where the agent shows its windows on another platform.
    Display* shared = X11Display();
    QCoreApplication* app = QCoreApplication::instance();
    if (!shared || !app || CurrentSession().wayland)
        return false;
    display_ = XOpenDisplay(DisplayString(shared));
    int errorBase = 0;
    if (!display_ || !XScreenSaverQueryExtension(display_, &eventBase_, &errorBase)) {
        if (display_)
            XCloseDisplay(display_);
        display_ = nullptr;
        return false;
    }
    for (int screen = 0; screen < ScreenCount(display_); ++screen)
        XScreenSaverSelectInput(display_, RootWindow(display_, screen), ScreenSaverNotifyMask);
    XFlush(display_);
    notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read, app);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { DispatchPending(); });
    // Events Xlib has already queued show nothing more on the socket.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(app->thread()))
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_, [this] { DispatchPending(); });
    return true;
}

void X11ScreenSaverTimer::DispatchPending()
{
    bool due = false;
    while (display_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == eventBase_ + ScreenSaverNotify)
            due = due || reinterpret_cast<XScreenSaverNotifyEvent*>(&event)->state == ScreenSaverOn;
    }
    // One start for however many screens turned on together.
    if (due && handler_)
        handler_();
}

bool X11ScreenSaverTimer::XScreensaverRunning()
{
    // xscreensaver marks a window of its own, a child of the root window, while it runs.
    Display* display = X11Display();
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    bool xscreensaver = false;
    if (display && XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        const XErrorTrap trap(display); // a child may go while it is looked at
        for (unsigned i = 0; i < count && !xscreensaver; ++i)
            xscreensaver = HasProperty(display, children[i], "_SCREENSAVER_VERSION");
    }
    if (children)
        XFree(children);
    return xscreensaver;
}

} // namespace kdx::platform::posix
