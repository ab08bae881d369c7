#include "PosixHotKeys.h"

#include "platform/posix/session/DesktopSession.h"
#include "platform/posix/x11/X11Connection.h"

namespace kdx::platform::posix {

IHotKeys* PosixHotKeys::Chosen()
{
    if (choosing_) {
        choosing_ = false;
        if (X11Display() && !CurrentSession().wayland)
            chosen_ = &x11_;
        else if (PortalHotKeys::Offered())
            chosen_ = &portal_;
    }
    return chosen_;
}

bool PosixHotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    IHotKeys* keys = Chosen();
    return keys && keys->RegisterHotKey(window, id, modifiers, virtualKey);
}

bool PosixHotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    IHotKeys* keys = Chosen();
    return keys && keys->UnregisterHotKey(window, id);
}

void PosixHotKeys::SetHandler(WindowHandle window, Handler handler)
{
    // Both keep it, so that setting it needs no choice yet.
    x11_.SetHandler(window, handler);
    portal_.SetHandler(window, std::move(handler));
}

bool PosixHotKeys::GlobalKeysAvailable()
{
    IHotKeys* keys = Chosen();
    return keys && keys->GlobalKeysAvailable();
}

} // namespace kdx::platform::posix
