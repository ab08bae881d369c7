#pragma once
#include "WindowHandle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kdx::platform {

// String atoms lie in 0xC000..0xFFFF; below that an atom is an integer atom.
inline constexpr std::uint16_t FirstStringAtom = 0xC000;

// The global atom table (GlobalAddAtomA, GlobalDeleteAtom): shared by the user's session,
// names compared without regard to ASCII case, each atom counted once per addition.
class IAtoms {
public:
    virtual ~IAtoms() = default;
    // The atom of Name, added or counted once more; 0 on failure. "#n" (n below 0xC000) is
    // the integer atom n and touches no table.
    virtual std::uint16_t GlobalAddAtom(const std::string& name) = 0;
    // Drops one count of the atom, removing it at the last; 0 on success, else the atom itself.
    virtual std::uint16_t GlobalDeleteAtom(std::uint16_t atom) = 0;
};

// MOD_* flags of RegisterHotKey.
inline constexpr unsigned ModAlt = 0x0001;
inline constexpr unsigned ModControl = 0x0002;
inline constexpr unsigned ModShift = 0x0004;
inline constexpr unsigned ModWin = 0x0008;

inline constexpr unsigned WmHotKey = 0x0312;

// How the desktop lets a program have keys that work whatever window is active.
enum class HotKeyWay {
    RegisterHotKey, // Windows
    XGrabs, // key grabs on the X server, in an X11 session
    Portal, // the desktop portal's GlobalShortcuts
    KdeService, // KDE Plasma's global-shortcut service
    GnomeShortcuts, // GNOME's custom keyboard shortcuts, which run the agent's switches
    ConfigLines, // lines for the compositor's configuration that run the switches, for the user to add
};

// What a hot key does, for the desktops that list keys by name or run a command for them.
struct HotKeyAction {
    std::string verb; // the command-line switch that does the same ("show" for KDX3 /show)
    std::string title; // what the desktop shows the user ("Show the window")
};

// A key as the configuration of a desktop would bind it to the agent's switch.
struct HotKeyBinding {
    std::string verb;
    unsigned modifiers = 0;
    unsigned virtualKey = 0;
};

// The lines that bind the keys in a desktop's configuration, and the sentence that says where
// they go.
struct HotKeyLines {
    std::string intro;
    std::string lines;
};

// System-wide hot keys owned by a window (RegisterHotKey, UnregisterHotKey, WM_HOTKEY).
class IHotKeys {
public:
    // Receives WM_HOTKEY: the id of the hot key that was pressed.
    using Handler = std::function<void(int id)>;

    virtual ~IHotKeys() = default;
    // False when another program holds the key, the key code is unknown or no desktop is there.
    virtual bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) = 0;
    // False when Window has no hot key of that id.
    virtual bool UnregisterHotKey(WindowHandle window, int id) = 0;
    // Where the WM_HOTKEY of Window's hot keys goes, on the thread that runs the event loop;
    // an empty handler stops the delivery.
    virtual void SetHandler(WindowHandle window, Handler handler) = 0;
    // False where this desktop gives programs no hot keys that work whatever window is active
    // (a Wayland session without a way for them): nothing is registered then, and the user is
    // told so. It can turn false after a registration that the desktop refused later.
    virtual bool GlobalKeysAvailable() { return true; }

    // How the keys work here, chosen at the first registration (and again when the desktop refuses
    // the keys later).
    virtual HotKeyWay Way() { return HotKeyWay::RegisterHotKey; }
    // What the hot key Id of Window does; said before it is registered.
    virtual void DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action)
    {
        static_cast<void>(window), static_cast<void>(id), static_cast<void>(action);
    }
    // The user no longer wants the hot key Id at all (its letter was emptied). Where the keys live
    // among the desktop's own shortcuts, they leave them; elsewhere releasing is all there is.
    virtual void DropHotKey(WindowHandle window, int id) { static_cast<void>(window), static_cast<void>(id); }
    // GNOME's custom shortcuts are the user's settings: the keys go there only with the user's
    // leave, which the preference dialog asks for, and leave them when it is taken back.
    virtual bool DesktopShortcutsAllowed() { return true; }
    virtual void AllowDesktopShortcuts(bool allowed) { static_cast<void>(allowed); }
    // Where the desktop binds no keys for programs: the lines of its configuration that bind Keys
    // to the agent's switches, with a word on where they go.
    virtual HotKeyLines ConfigurationLines(const std::vector<HotKeyBinding>& keys)
    {
        static_cast<void>(keys);
        return {};
    }
};

} // namespace kdx::platform
