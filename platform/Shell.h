#pragma once
#include <functional>
#include <string>
#include <vector>

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

// What a desktop shows on one monitor after a change that gives each monitor its own picture:
// whether the monitor shows its bitmap, and where from (or, when it does not, why in words).
struct MonitorShown {
    std::string monitor;
    bool shown = false;
    std::string detail;
};

// What became of a wallpaper change on the running desktop: whether something shows the
// picture now, and where (or, when nothing does, what was tried and why it failed). A change
// that gives each monitor its own picture says so for each monitor too.
struct WallpaperOutcome {
    bool shown = false;
    std::string detail;
    std::vector<MonitorShown> monitors {};
};

// A monitor of the desktop: the desktop's name for it, its place on the desktop, and its size in
// the device's own pixels (on a scaled screen the physical pixels, not the scaled ones).
struct Monitor {
    std::string name;
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    bool primary = false;
    // The output (connector) that drives it, where that differs from its name: a desktop may
    // know a monitor only by its output (XFCE); empty for a monitor that has none.
    std::string output {};
};

// One monitor's part in a change that gives each monitor its own picture.
struct MonitorWallpaper {
    Monitor monitor;
    // A bitmap made for the monitor: its size exactly, the picture laid out in the style.
    std::string bitmap;
    // Whether the desktop must be handed it: a new picture, a new size, or a monitor new to the
    // desktop. The others show what they were handed before and need not be touched.
    bool fresh = true;
};

// The monitors of one change, the primary first, and the one picture of the whole desktop for a
// desktop that takes only one.
struct MonitorWallpapers {
    std::vector<MonitorWallpaper> monitors;
    // Makes (once) and names a bitmap of the monitors' bounding box, each monitor's bitmap in
    // its place and black between them; empty when it cannot be made.
    std::function<std::string()> spanned;
};

// The desktop wallpaper setting.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, null, SPIF_SENDWININICHANGE): the system
    // applies the desktop values of "Control Panel\Desktop" ("Wallpaper", "TileWallpaper",
    // "WallpaperStyle") and tells the running programs.
    virtual WallpaperOutcome ApplyWallpaperSettings() = 0;
    // The desktop's monitors now, each in its own pixels; empty where the desktop does not tell
    // them (the caller then asks the toolkit).
    virtual std::vector<Monitor> Monitors() { return {}; }
    // Gives each monitor its own bitmap: per monitor where the desktop has a wallpaper per
    // monitor, otherwise the spanned bitmap over the whole desktop. The desktop values are
    // those of ApplyWallpaperSettings, written before; a desktop that can do neither applies
    // them as they are.
    virtual WallpaperOutcome ApplyMonitorWallpapers(const MonitorWallpapers&) { return ApplyWallpaperSettings(); }
};

} // namespace kdx::platform
