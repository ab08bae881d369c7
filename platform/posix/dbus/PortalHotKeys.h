#pragma once
#include "platform/HotKeys.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kdx::platform::posix {

class PortalSession;

// Hot keys through the XDG desktop portal's GlobalShortcuts (KDE Plasma 6, GNOME 48 and later):
// the keys are offered to the desktop, which binds them (after asking the user, on some desktops)
// and reports each press. Registrations made in one turn of the event loop are offered
// together, in a new portal session each time they change.
class PortalHotKeys final : public IHotKeys {
public:
    PortalHotKeys();
    ~PortalHotKeys() override;

    // The probe: whether the session's portal offers GlobalShortcuts.
    static bool Offered();

    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;
    bool GlobalKeysAvailable() override { return !refused_; }
    HotKeyWay Way() override { return HotKeyWay::Portal; }
    // Called from the event loop when the desktop refuses keys it was offered (it may bind fewer
    // than offered, or none: Plasma 5.27 binds none), so that they can go another way.
    void OnRefused(std::function<void()> refused) { onRefused_ = std::move(refused); }

    struct Key {
        WindowHandle window;
        int id;
        std::string trigger; // in the portal's words, "CTRL+ALT+a"
        std::string description; // what the desktop shows the user
    };

private:
    void ScheduleBind();
    void Bind();
    void Pressed(const std::string& shortcut);

    std::map<std::string, Key> keys_; // by the portal's shortcut id
    std::map<WindowHandle, Handler> handlers_;
    std::unique_ptr<PortalSession> session_;
    std::vector<std::string> sessionShortcuts_; // the ids session_ was given
    bool scheduled_ = false;
    bool refused_ = false;
    std::function<void()> onRefused_;
};

// A hot key's trigger in the portal's words ("CTRL+ALT+a"); empty for a key it cannot name.
std::string PortalTrigger(unsigned modifiers, unsigned virtualKey);

} // namespace kdx::platform::posix
