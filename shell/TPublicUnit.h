#pragma once
#include "MonitorPictures.h"
#include "platform/Shell.h"
#include "platform/WindowHandle.h"
#include "settings/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

// Fixed texts of the helpers.
namespace texts {
inline constexpr const char* FileNotFound = "FILE NOT FOUND!";
inline constexpr const char* WarningCaption = "Warning";
inline constexpr const char* InformationCaption = "Information";
inline constexpr const char* WallpaperBitmap = "KAWalllpaper.bmp";
// Added to the bitmap's name while a new bitmap is being made beside it.
inline constexpr const char* PartialSuffix = ".part";
inline constexpr const char* WallpaperChanged = "Changed wallpaper successfully!";
// Followed by what was tried and why it failed.
inline constexpr const char* WallpaperNotShown = "The wallpaper was made, but nothing on this desktop could show it: ";
} // namespace texts

// The desktop values under HKEY_CURRENT_USER that the wallpaper is applied through.
namespace desktop {
using platform::desktop::Key;
using platform::desktop::TileWallpaperValue;
using platform::desktop::WallpaperStyleValue;
using platform::desktop::WallpaperValue;
} // namespace desktop

// "TileWallpaper" and "WallpaperStyle" for a wallpaper style: 0 "Center" "0" and "0", 1 "Title"
// (tiled) "1" and "0", 2 "Stretch" "0" and "2"; any other style two empty strings.
struct DesktopStyleTexts {
    const char* tile;
    const char* style;
};
DesktopStyleTexts WallpaperStyleTexts(int style);

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

    // Makes the picture the desktop wallpaper through the one bitmap in the Windows folder:
    // with the key "Control Panel\DeskTop" open (never created), makes the bitmap, writes
    // "TileWallpaper", "Wallpaper" and "WallpaperStyle" in that order, closes the key, then
    // has the system apply them (also when the key did not open; not after an error). The
    // result says whether the desktop shows the picture now.
    platform::WallpaperOutcome SetWallpaper(const std::string& path, int style);
    // Writes the picture to the wallpaper bitmap: a ".jpg" or ".jpeg" (any case) decoded to an
    // uncompressed 24-bit bitmap, anything else copied byte for byte. Raises "Cannot open file
    // %s" for a picture that cannot be opened (JPEG or not), "JPEG error #%d" for one that
    // cannot be decoded and "Cannot create file %s" for a bitmap that cannot be written; the
    // old bitmap is replaced only by a complete new one, so after an error it is still there.
    void MakeWallpaperBitmap(const std::string& path);
    // The Windows folder + "\KAWalllpaper.bmp" ("/" here).
    std::string WallpaperBitmapPath();

    // Gives each monitor of Picks (the primary first) a picture of its own, the way SetWallpaper
    // gives the desktop one: with the key "Control Panel\DeskTop" open, makes the bitmap of each
    // pick that needs one (the monitor's own size, the picture laid out in Style; all at once on
    // the machine's cores), makes the primary's bitmap the wallpaper bitmap too, writes the three
    // values as SetWallpaper does, closes the key, then hands each monitor its bitmap (or, to a
    // desktop with one wallpaper, the bitmaps spanned over the whole desktop). Raises as
    // MakeWallpaperBitmap does, before anything is replaced.
    platform::WallpaperOutcome SetMonitorWallpapers(const std::vector<MonitorPick>& picks, int style);
    // The bitmap made for the monitor named Name, beside the wallpaper bitmap:
    // "KAWalllpaper[NAME].bmp", characters other than letters, digits, ".", "_" and "-" as "_".
    std::string MonitorBitmapPath(const std::string& name);
    // The bitmap of the monitors' bounding box, for a desktop that has one wallpaper.
    std::string SpannedBitmapPath();

    // The signed difference T1 - T2 in whole seconds (Flags bit 1), minutes (bit 2) or hours
    // (bit 4), the first bit set deciding; -1 when none is set.
    std::int32_t TimeDiff(std::uint8_t flags, TDateTime t1, TDateTime t2);

    // Asks every visible window from First down the stacking order, First included, to
    // minimise ("Clear Desktop"); windows above First stay as they are.
    void MinimizeWindows(platform::WindowHandle first);
};

} // namespace kdx
