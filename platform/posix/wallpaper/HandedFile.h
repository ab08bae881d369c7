#pragma once
#include <string>
#include <utility>

namespace kdx::platform::posix {

// A desktop acts on a new value of its wallpaper setting, not on the same value set again, and
// may not watch the file it names (not when the file was missing as it started). So each
// change hands it one of two names beside the bitmap in turn ("KAWalllpaper-1.bmp",
// "KAWalllpaper-2.bmp"), each a hard link to the bitmap (a copy where links fail); the bitmap
// and the registry value naming it stay as they are.

// The two names beside Bitmap.
std::pair<std::string, std::string> HandedNames(const std::string& bitmap);

// Makes the name to hand over for Bitmap: the one of the two that is missing (the older when
// both are there, the first when neither), replaced in one step. The bitmap itself when
// neither can be made (a read-only folder).
std::string MakeHandedFile(const std::string& bitmap);

// Once a desktop has taken Handed: the other name goes, so the next change makes it anew.
void DropOtherHandedFile(const std::string& bitmap, const std::string& handed);

} // namespace kdx::platform::posix
