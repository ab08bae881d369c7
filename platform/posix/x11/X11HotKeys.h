#pragma once
#include "platform/HotKeys.h"

#include <map>
#include <memory>
#include <vector>

// Xlib stays out of this header: its macros (None, Bool, Status) break Qt's headers.
struct _XDisplay;

namespace kdx::platform::posix {

class X11EventListener;

// Hot keys as passive grabs of the root window on the X server, so they work whatever window
// has the focus and while the agent is hidden. Key presses arrive on the agent's own X
// connection, which the Qt event loop watches.
class X11HotKeys final : public IHotKeys {
public:
    X11HotKeys();
    ~X11HotKeys() override;
    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;
    HotKeyWay Way() override { return HotKeyWay::XGrabs; }

private:
    struct Grab {
        WindowHandle window;
        int id;
        unsigned keycode;
        unsigned modifiers; // X modifier mask
    };

    // The grab with every combination of Caps Lock and Num Lock, which X counts as modifiers.
    std::vector<unsigned> LockVariants(_XDisplay* display, unsigned modifiers) const;
    void Ungrab(_XDisplay* display, const Grab& grab);
    void Dispatch(unsigned keycode, unsigned state);

    std::vector<Grab> grabs_;
    std::map<WindowHandle, Handler> handlers_;
    std::unique_ptr<X11EventListener> listener_;
};

// The X modifier mask of MOD_* flags.
unsigned X11Modifiers(unsigned modifiers);

} // namespace kdx::platform::posix
