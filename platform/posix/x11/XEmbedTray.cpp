#include "XEmbedTray.h"

#include "X11Connection.h"

#include <string>

namespace kdx::platform::posix {

namespace {

Atom TraySelection(Display* display)
{
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    return XInternAtom(display, name.c_str(), False);
}

// Adds Mask to the events this connection takes from Window, keeping the ones it takes already.
void AddEvents(Display* display, Window window, long mask)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes))
        XSelectInput(display, window, attributes.your_event_mask | mask);
}

} // namespace

XEmbedTray::XEmbedTray() = default;
XEmbedTray::~XEmbedTray() = default;

bool XEmbedTray::Present()
{
    Display* display = X11Display();
    return display && XGetSelectionOwner(display, TraySelection(display)) != None;
}

void XEmbedTray::Watch(std::function<void()> changed)
{
    changed_ = std::move(changed);
    Display* display = X11Display();
    if (listener_ || !changed_ || !display)
        return;
    const Atom manager = XInternAtom(display, "MANAGER", False);
    const Atom selection = TraySelection(display);
    listener_ = std::make_unique<X11EventListener>([this, manager, selection](const XEvent& event) {
        const bool arrived = event.type == ClientMessage && event.xclient.message_type == manager
            && Atom(event.xclient.data.l[1]) == selection;
        const bool ended = event.type == DestroyNotify && event.xdestroywindow.window == event.xdestroywindow.event;
        if (!arrived && !ended)
            return;
        if (arrived)
            FollowOwner();
        if (changed_)
            changed_();
    });
    // A new tray announces itself with a MANAGER message to the root window's structure
    // listeners.
    XErrorTrap trap(display);
    AddEvents(display, DefaultRootWindow(display), StructureNotifyMask);
    FollowOwner();
}

void XEmbedTray::FollowOwner()
{
    Display* display = X11Display();
    const Window owner = XGetSelectionOwner(display, TraySelection(display));
    if (owner == None)
        return;
    // The owner may be gone again before the request arrives.
    XErrorTrap trap(display);
    AddEvents(display, owner, StructureNotifyMask);
}

} // namespace kdx::platform::posix
