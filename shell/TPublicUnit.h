#pragma once
#include "settings/DateTime.h"

#include <cstdint>
#include <string>

namespace kdx {

// Fixed texts of the helpers.
namespace texts {
inline constexpr const char* FileNotFound = "FILE NOT FOUND!";
inline constexpr const char* WarningCaption = "Warning";
inline constexpr const char* InformationCaption = "Information";
inline constexpr const char* WallpaperBitmap = "KAWalllpaper.bmp";
} // namespace texts

// Stateless shell and presentation helpers shared by the main window and the panels. Each
// component creates its own instance; every operation stands alone.
class TPublicUnit {
public:
    // The text standing for a list entry: "FILE NOT FOUND!" for a missing file; a
    // screensaver's own description for a ".scr" file (extension compared with case), else
    // its shell display name; otherwise the file-name part of Path.
    std::string DisplayName(const std::string& path);
    std::string ShellDisplayName(const std::string& path);

    int ShowWarning(const std::string& msg);
    int ShowInfo(const std::string& msg);
    void ShowProperties(const std::string& path);

    // An index in 0..N-1 from a generator seeded afresh from the clock on every call.
    int RandomIndex(int n);
    std::string GetWindowsDir();
    std::string RightChars(const std::string& text, int count);

    // Makes the picture the desktop wallpaper through the one bitmap in the Windows folder.
    void SetWallpaper(const std::string& path, int style);
    void MakeWallpaperBitmap(const std::string& path);
};

} // namespace kdx
