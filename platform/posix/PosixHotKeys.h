#pragma once
#include "platform/posix/dbus/PortalHotKeys.h"
#include "platform/posix/x11/X11HotKeys.h"

namespace kdx::platform::posix {

// The sessions a hot key can live in, tried in order when the first key is registered: X key
// grabs in an X11 session, the desktop portal's GlobalShortcuts where it is offered (Wayland),
// else none, and the user is told that the keys cannot be global here.
class PosixHotKeys final : public IHotKeys {
public:
    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;
    bool GlobalKeysAvailable() override;

private:
    IHotKeys* Chosen();

    X11HotKeys x11_;
    PortalHotKeys portal_;
    IHotKeys* chosen_ = nullptr;
    bool choosing_ = true;
};

} // namespace kdx::platform::posix
