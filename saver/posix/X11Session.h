#pragma once
#include <QSize>
#include <QtGlobal>

#include <set>

namespace kdx::saver::posix {

// The companion's dealings with the X server beyond its windows, on a connection of its own
// that lives as long as the companion: the server's own screen saver is turned off and held
// off (it would blank the screen over the companion, and fire again while it runs), until
// the companion ends. Nothing happens where there is no X server.
class X11Session {
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;
};

// The key codes held down now: the keys of the hot key that started the companion.
std::set<quint32> X11HeldKeys();

// The inner size of an X window, or nothing when there is no such window.
bool XWindowSize(unsigned long window, QSize& size);

} // namespace kdx::saver::posix
