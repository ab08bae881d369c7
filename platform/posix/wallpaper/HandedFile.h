#pragma once
#include <string>

namespace kdx::platform::posix {

// A desktop acts on a new value of its wallpaper setting, not on the same value set again; it
// may not watch the file it names (not when the file was missing as it started); and it may
// keep pictures it loaded by their names (GNOME does). So each change hands it a name beside
// the bitmap that it has never been handed, numbered after the clock and past the last one
// ("KAWalllpaper-1765201234.bmp", then "KAWalllpaper-1765201237.bmp"), a hard link to the bitmap
// (a copy where links fail); the bitmap and the registry value naming it stay as they are. Each
// graphical session of the user has names of its own ("KAWalllpaper-:0-1765201234.bmp").

// Makes the next name for Bitmap. The bitmap itself when none can be made (a read-only folder).
std::string MakeHandedFile(const std::string& bitmap);

// When no desktop took Handed: it goes, and the name handed before stays for the desktop that
// shows it, so a row of failed changes leaves no more than one name beside the bitmap.
void DropHandedFile(const std::string& bitmap, const std::string& handed);

// Once a desktop has taken Handed: the names this session handed before it go.
void DropOtherHandedFiles(const std::string& bitmap, const std::string& handed);

} // namespace kdx::platform::posix
