#pragma once
#include "platform/Shell.h"

namespace kdx::platform::win32 {

// The Windows shell: launches, the Properties sheet, display names and string resources.
class Win32Shell final : public IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override;
    void ShowProperties(const std::string& path) override;
    std::string DisplayName(const std::string& path) override;
    std::string ResourceString(const std::string& path, unsigned id) override;
};

// The desktop wallpaper: the desktop values applied by SystemParametersInfo; each monitor its own
// picture through IDesktopWallpaper (Windows 8 and later), else one bitmap spanned over them all.
class Win32Desktop final : public IDesktop {
public:
    WallpaperOutcome ApplyWallpaperSettings() override;
    // EnumDisplayMonitors, in the pixels the program sees (the device's own for a program that
    // is aware of each monitor's scale, as Qt makes it); named as the system names the display
    // ("DISPLAY1").
    std::vector<Monitor> Monitors() override;
    // Each monitor, found by its rectangle, its bitmap through IDesktopWallpaper, read back with
    // GetWallpaper. Where the interface is not there (Windows 7, Wine), "Wallpaper" names the
    // spanned bitmap, spanned ("WallpaperStyle" "22") or, before Windows 8, tiled from the primary
    // monitor's corner; "KAWalllpaper.bmp" keeps the primary's picture all the same.
    WallpaperOutcome ApplyMonitorWallpapers(const MonitorWallpapers& wallpapers) override;
};

} // namespace kdx::platform::win32
