#pragma once
#include <string>

namespace kdx::platform {

// The desktop shell: starting programs and documents, its Properties sheet, display names,
// and the string resources of another program file.
class IShell {
public:
    virtual ~IShell() = default;
    // ShellExecuteA(no window, Verb, File, Params, no folder, SW_SHOWNORMAL). Detached; the
    // outcome is not reported.
    virtual void Execute(const std::string& verb, const std::string& file, const std::string& params) = 0;
    // ShellExecuteExA with the verb "properties"; does not wait, reports nothing.
    virtual void ShowProperties(const std::string& path) = 0;
    // SHGetFileInfoA with SHGFI_DISPLAYNAME; empty when the shell does not answer.
    virtual std::string DisplayName(const std::string& path) = 0;
    // LoadLibrary as a resource module, then LoadStringA(Id) into a 256-character buffer:
    // at most 255 characters; empty when the file, the table or the string is missing.
    virtual std::string ResourceString(const std::string& path, unsigned id) = 0;
};

// The desktop values under HKEY_CURRENT_USER that SystemParametersInfo(SPI_SETDESKWALLPAPER)
// applies.
namespace desktop {
inline constexpr const char* Key = "Control Panel\\DeskTop";
inline constexpr const char* WallpaperValue = "Wallpaper";
inline constexpr const char* TileWallpaperValue = "TileWallpaper";
inline constexpr const char* WallpaperStyleValue = "WallpaperStyle";
} // namespace desktop

// What became of a wallpaper change on the running desktop: whether something shows the
// picture now, and where (or, when nothing does, what was tried and why it failed).
struct WallpaperOutcome {
    bool shown = false;
    std::string detail;
};

// The desktop wallpaper setting.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, null, SPIF_SENDWININICHANGE): the system
    // applies the desktop values of "Control Panel\Desktop" ("Wallpaper", "TileWallpaper",
    // "WallpaperStyle") and tells the running programs.
    virtual WallpaperOutcome ApplyWallpaperSettings() = 0;
};

} // namespace kdx::platform
