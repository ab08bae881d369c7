#pragma once
#include "platform/HotKeys.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace kdx::platform::posix {

class KdeShortcutListener;

// Hot keys through KDE Plasma's global-shortcut service (org.kde.kglobalaccel: kglobalaccel5 on
// Plasma 5, KWin on Plasma 6 Wayland), which binds keys for every KDE program. Each hot key is
// an action of the component "kaleidra-agent", named after its switch ("show"), bound to the
// key given here rather than to one the service stored, so the preference dialog's letters
// decide; the service reports each press on the bus. Releasing a key makes its action inactive
// (KDE's shortcut settings keep listing it, as they do for every KDE program that is not
// running), dropping it removes the action. A service that restarts has the keys bound again,
// and the agent's end makes them inactive.
class KdeHotKeys final : public IHotKeys {
public:
    KdeHotKeys();
    ~KdeHotKeys() override;

    // The probe: a KDE session whose service runs. The service is never started by asking (a
    // GNOME user with KDE programs has it installed), only found running.
    static bool Offered();

    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;
    HotKeyWay Way() override { return HotKeyWay::KdeService; }
    void DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action) override;
    void DropHotKey(WindowHandle window, int id) override;

    struct Key {
        int code = 0; // the service's code of the key
        HotKeyAction action;
    };

private:
    using Owner = std::pair<WindowHandle, int>; // the window and the id
    HotKeyAction ActionOf(const Owner& owner) const;
    void Listen();
    void Pressed(const std::string& action);
    void BindAgain();
    void Deactivate();

    std::map<Owner, Key> keys_;
    std::map<Owner, HotKeyAction> actions_;
    std::map<WindowHandle, Handler> handlers_;
    std::unique_ptr<KdeShortcutListener> listener_;
};

// The service's code of a key: Qt's key code with Qt's modifier bits (Ctrl+Alt+A is
// 0x0C000041); 0 for a key it has no code for.
int KdeKeyCode(unsigned modifiers, unsigned virtualKey);

} // namespace kdx::platform::posix
