#pragma once
#include "WindowHandle.h"

#include <cstdint>
#include <functional>
#include <string>

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
};

} // namespace kdx::platform
