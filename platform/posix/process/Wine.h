#pragma once
#include <string>

namespace kdx::platform::posix {

// Wine's loader: "wine" or "wine64" on PATH, else Debian's 64-bit loader, which the wine64
// package installs outside PATH. $KALEIDRA_WINE, which only tests set, names another one, or
// "none" for a machine without Wine. Empty when there is none.
std::string WineLoader();

} // namespace kdx::platform::posix
