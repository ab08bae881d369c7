#pragma once
#include <string>

namespace kdx::platform::posix {

// A desktop acts on a new value of its wallpaper setting, not on the same value set again; it
// may not watch the file it names (not when the file was missing as it started); and it may
// keep pictures it loaded by their names (GNOME does). So each change hands it a name beside
// the bitmap that it has never been handed, numbered after the clock and past the last one
// ("KAWalllpaper-1765201234.bmp", then "KAWalllpaper-1765201237.bmp"), a hard link to the bitmap
// (a copy where links fail); the bitmap and the registry value naming it stay as they are.

// Makes the next name for Bitmap. The bitmap itself when none can be made (a read-only folder).
std::string MakeHandedFile(const std::string& bitmap);

// Once a desktop has taken Handed: the names handed before it go.
void DropOtherHandedFiles(const std::string& bitmap, const std::string& handed);

} // namespace kdx::platform::posix
