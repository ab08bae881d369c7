// Qt before Xlib, whose macros break Qt's headers.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QVariant>

#include "X11Connection.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdlib>

namespace kdx::platform::posix {

namespace {

Display* trappedDisplay = nullptr;
int firstError = 0;

int RecordError(Display* display, XErrorEvent* event)
{
    if (display == trappedDisplay && firstError == 0)
        firstError = event->error_code;
    return 0;
}

// A Qt application that shows its windows on another platform must not reach the X server.
bool ApplicationAllowsX11()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return true;
    const QVariant platform = app->property("platformName");
    return !platform.isValid() || platform.toString() == QLatin1String("xcb");
}

std::vector<const X11EventListener*>& Listeners()
{
    static std::vector<const X11EventListener*> listeners;
    return listeners;
}

void DispatchPending()
{
    Display* display = X11Display();
    while (display && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        // A listener may end another, or itself, on the way.
        const std::vector<const X11EventListener*> listeners = Listeners();
        for (const X11EventListener* listener : listeners)
            if (std::find(Listeners().begin(), Listeners().end(), listener) != Listeners().end())
                listener->Deliver(event);
    }
}

void WatchConnection()
{
    static QPointer<QSocketNotifier> notifier;
    Display* display = X11Display();
    QCoreApplication* app = QCoreApplication::instance();
    if (!display || !app || notifier)
        return;
    notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { DispatchPending(); });
    // Xlib may already have read events into its queue during a round trip, where the socket
    // shows nothing more; look there each time the loop is about to wait.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(app->thread()))
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier, [] { DispatchPending(); });
}

} // namespace

X11EventListener::X11EventListener(std::function<void(const XEvent&)> listener) : listener_(std::move(listener))
{
    Listeners().push_back(this);
    WatchConnection();
}

X11EventListener::~X11EventListener() { std::erase(Listeners(), this); }

Display* X11Display()
{
    static Display* display = nullptr;
    static bool tried = false;
    if (!tried && ApplicationAllowsX11()) {
        tried = true;
        if (const char* name = std::getenv("DISPLAY"); name && *name)
            display = XOpenDisplay(name);
    }
    return display;
}

XErrorTrap::XErrorTrap(Display* display) : display_(display)
{
    // Errors of earlier requests are not ours to count.
    XSync(display_, False);
    trappedDisplay = display_;
    firstError = 0;
    previous_ = XSetErrorHandler(&RecordError);
}

XErrorTrap::~XErrorTrap()
{
    XSync(display_, False);
    XSetErrorHandler(previous_);
    trappedDisplay = nullptr;
}

int XErrorTrap::Failed()
{
    XSync(display_, False);
    const int error = firstError;
    firstError = 0;
    return error;
}

std::vector<unsigned long> WindowProperty32(Display* display, Window window, const char* name, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, name, False);
    std::vector<unsigned long> items;
    if (XGetWindowProperty(
            display, window, property, 0, 0x10000, False, type, &actualType, &format, &count, &rest, &data)
            == Success
        && data && actualType == type && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

} // namespace kdx::platform::posix
