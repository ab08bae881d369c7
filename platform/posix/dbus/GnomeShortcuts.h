#pragma once
#include "platform/HotKeys.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kdx::platform::posix {

// Hot keys as GNOME's own custom keyboard shortcuts (the custom-keybindings of its settings
// daemon's media keys, in dconf), which GNOME offers no program but lets the user make: each
// runs the agent's switch ("KDX3 /show"), which reaches the running agent through the hand-over.
// They are the user's settings, so they are written only with the user's leave, given in the
// preference dialog; the agent's entries are named after it (kaleidra-agent-show, "Kaleidra
// Agent: ..."), kept in step with the keys, and taken out when the user takes the leave back or
// empties a key. Every other custom shortcut stays exactly as it was. The entries outlive the
// agent, as the user's settings do: a key pressed while no agent runs changes nothing. The
// agent's entries being there is the leave, so it needs no setting of its own: at a start the
// agent keeps in step the entries that are there, and one the user took out in GNOME's settings
// stays out until the dialog's box is ticked again.
class GnomeShortcuts final : public IHotKeys {
public:
    // ProgramFile gives the agent's program, for the entries' commands.
    explicit GnomeShortcuts(std::function<std::string()> programFile);

    // The probe: a desktop of the GNOME family with the settings daemon's schema installed.
    static bool Offered();

    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle, Handler) override { } // presses come back as switches
    bool GlobalKeysAvailable() override { return DesktopShortcutsAllowed(); }
    HotKeyWay Way() override { return HotKeyWay::GnomeShortcuts; }
    void DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action) override;
    void DropHotKey(WindowHandle window, int id) override;
    bool DesktopShortcutsAllowed() override;
    void AllowDesktopShortcuts(bool allowed) override;

    static constexpr const char* ListSchema = "org.gnome.settings-daemon.plugins.media-keys";
    static constexpr const char* ListKey = "custom-keybindings";
    static constexpr const char* EntrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    static constexpr const char* Folder = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
    // The dconf path of the agent's entry for a switch.
    static std::string EntryPath(const std::string& verb);

private:
    using Owner = std::pair<WindowHandle, int>;
    struct Key {
        unsigned modifiers = 0;
        unsigned virtualKey = 0;
    };
    HotKeyAction ActionOf(const Owner& owner) const;
    bool Write(const HotKeyAction& action, const Key& key);
    void Remove(const std::vector<std::string>& paths);

    std::function<std::string()> programFile_;
    std::map<Owner, HotKeyAction> actions_;
    std::map<Owner, Key> keys_; // registered
    // The leave given in the preference dialog in this run: every key registered goes there.
    bool allowedInRun_ = false;
};

// GTK's accelerator text of a key, which GNOME's settings take ("<Control><Alt>a"); empty for a
// key it has no name for.
std::string GtkAccelerator(unsigned modifiers, unsigned virtualKey);

// A string as GVariant text ('it\'s'), which gsettings reads values as.
std::string GVariantText(const std::string& text);
// The strings of an array in GVariant text ("['/a/', '/b/']", "@as []"), as gsettings prints it.
std::vector<std::string> GVariantStrings(const std::string& text);

} // namespace kdx::platform::posix
