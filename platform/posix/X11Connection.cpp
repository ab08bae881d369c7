// Qt before Xlib, whose macros break Qt's headers.
#include <QCoreApplication>
#include <QVariant>

#include "X11Connection.h"

#include <X11/Xatom.h>

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

} // namespace

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
