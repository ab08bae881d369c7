#pragma once
#include "HotKeyLines.h"
#include "platform/posix/dbus/GnomeShortcuts.h"
#include "platform/posix/dbus/KdeHotKeys.h"
#include "platform/posix/dbus/PortalHotKeys.h"
#include "platform/posix/x11/X11HotKeys.h"

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace kdx::platform::posix {

// The ways a hot key can work in a Linux session, tried in this order when the first key is
// registered: X key grabs in an X11 session; the desktop portal's GlobalShortcuts where it is
// offered (Wayland); KDE Plasma's global-shortcut service; GNOME's custom shortcuts, with the
// user's leave; else the lines of the desktop's configuration, for the user to add. A portal
// that refuses the keys later hands them on to the next way that applies.
class PosixHotKeys final : public IHotKeys {
public:
    // Whether each way applies here, asked in the order of choice, each only when none before it
    // applies (a probe may ask the session bus); tests give their own.
    struct Probes {
        std::function<bool()> x11Session;
        std::function<bool()> portal;
        std::function<bool()> kdeService;
        std::function<bool()> gnomeShortcuts;
    };
    static Probes SessionProbes();

    explicit PosixHotKeys(Probes probes = SessionProbes());

    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;
    bool GlobalKeysAvailable() override;
    HotKeyWay Way() override;
    void DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action) override;
    void DropHotKey(WindowHandle window, int id) override;
    bool DesktopShortcutsAllowed() override;
    void AllowDesktopShortcuts(bool allowed) override;
    HotKeyLines ConfigurationLines(const std::vector<HotKeyBinding>& keys) override;

    // The portal refused the keys it was offered: they go to the next way that applies.
    void PortalRefused();

private:
    struct Candidate {
        IHotKeys* way;
        std::function<bool()> applies;
    };
    IHotKeys& Chosen();
    void ChooseFrom(std::size_t first);

    X11HotKeys x11_;
    PortalHotKeys portal_;
    KdeHotKeys kde_;
    GnomeShortcuts gnome_;
    ConfigLineHotKeys lines_;
    std::vector<Candidate> candidates_;
    std::size_t chosen_;
    // The keys registered, so that a way chosen anew gets them.
    std::map<std::pair<WindowHandle, int>, std::pair<unsigned, unsigned>> registered_;
};

} // namespace kdx::platform::posix
