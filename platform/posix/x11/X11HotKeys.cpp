#include "X11HotKeys.h"

#include "VirtualKeys.h"
#include "X11Connection.h"

#include <X11/keysym.h>

#include <algorithm>

namespace kdx::platform::posix {

namespace {

// The modifier bit that Num Lock sets on this server (Mod2 on nearly every keyboard).
unsigned NumLockMask(Display* display)
{
    unsigned mask = Mod2Mask;
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return mask;
    for (int modifier = 0; numLock && modifier < 8; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                mask = 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

} // namespace

X11HotKeys::X11HotKeys() = default;
X11HotKeys::~X11HotKeys() = default;

unsigned X11Modifiers(unsigned modifiers)
{
    unsigned mask = 0;
    if (modifiers & ModAlt)
        mask |= Mod1Mask;
    if (modifiers & ModControl)
        mask |= ControlMask;
    if (modifiers & ModShift)
        mask |= ShiftMask;
    if (modifiers & ModWin)
        mask |= Mod4Mask;
    return mask;
}

std::vector<unsigned> X11HotKeys::LockVariants(Display* display, unsigned modifiers) const
{
    const unsigned numLock = NumLockMask(display);
    return {modifiers, modifiers | LockMask, modifiers | numLock, modifiers | LockMask | numLock};
}

bool X11HotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    Display* display = X11Display();
    const unsigned long keysym = KeySymOfVirtualKey(virtualKey);
    if (!display || keysym == NoSymbol)
        return false;
    const Grab grab {window, id, XKeysymToKeycode(display, keysym), X11Modifiers(modifiers)};
    // Like Windows, one key combination belongs to one hot key, ours included.
    const bool taken = std::any_of(grabs_.begin(), grabs_.end(),
        [&](const Grab& g) { return g.keycode == grab.keycode && g.modifiers == grab.modifiers; });
    if (grab.keycode == 0 || taken)
        return false;
    const Window root = DefaultRootWindow(display);
    XErrorTrap trap(display);
    for (unsigned variant : LockVariants(display, grab.modifiers))
        XGrabKey(display, grab.keycode, variant, root, False, GrabModeAsync, GrabModeAsync);
    // BadAccess: another client holds the combination.
    if (trap.Failed() != 0) {
        Ungrab(display, grab);
        return false;
    }
    grabs_.push_back(grab);
    // Made at the first grab, when the application that runs the event loop exists.
    if (!listener_)
        listener_ = std::make_unique<X11EventListener>([this](const XEvent& event) {
            if (event.type == KeyPress)
                Dispatch(event.xkey.keycode, event.xkey.state);
        });
    return true;
}

bool X11HotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    const auto it
        = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& g) { return g.window == window && g.id == id; });
    if (it == grabs_.end())
        return false;
    Display* display = X11Display();
    XErrorTrap trap(display);
    Ungrab(display, *it);
    grabs_.erase(it);
    return true;
}

void X11HotKeys::SetHandler(WindowHandle window, Handler handler)
{
    if (handler)
        handlers_[window] = std::move(handler);
    else
        handlers_.erase(window);
}

void X11HotKeys::Ungrab(Display* display, const Grab& grab)
{
    for (unsigned variant : LockVariants(display, grab.modifiers))
        XUngrabKey(display, grab.keycode, variant, DefaultRootWindow(display));
}

void X11HotKeys::Dispatch(unsigned keycode, unsigned state)
{
    Display* display = X11Display();
    const unsigned locks = LockMask | NumLockMask(display);
    for (const Grab& grab : grabs_) {
        if (grab.keycode != keycode || grab.modifiers != (state & ~locks))
            continue;
        const auto it = handlers_.find(grab.window);
        if (it == handlers_.end())
            return;
        // The handler may change the hot keys and handlers, so it runs on copies.
        const Handler handler = it->second;
        const int id = grab.id;
        handler(id);
        return;
    }
}

} // namespace kdx::platform::posix
