#pragma once
#include <string>

namespace kdx::platform::posix {

// The X key symbol of a Windows virtual-key code, or 0 (NoSymbol) for a code that has no key
// here. Letters give the lower-case symbol, which X keyboards list first for their key.
unsigned long KeySymOfVirtualKey(unsigned virtualKey);

// The X name of that symbol ("a", "Insert"), which GTK, sway and Hyprland name keys by; empty
// for a code that has no key here.
std::string KeySymName(unsigned virtualKey);

} // namespace kdx::platform::posix
