#include "PosixDesktop.h"

#include "DesktopMonitors.h"
#include "HandedFile.h"
#include "platform/Platform.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

PosixDesktop::PosixDesktop()
    : routes_ {
        &gnome_, &cinnamon_, &mate_, &xfce_, &plasma_, &lxqt_, &lxde_, &sway_, &hyprland_, &portal_, &swaybg_, &root_}
{
}

std::optional<WallpaperLayout> LayoutOfValues(const std::string& tile, const std::string& style)
{
    if (tile.empty() && style.empty())
        return std::nullopt;
    if (tile == "1")
        return WallpaperLayout::Tile;
    if (style == "2" || style == "22")
        return WallpaperLayout::Stretch;
    if (style == "6")
        return WallpaperLayout::Fit;
    if (style == "10")
        return WallpaperLayout::Fill;
    return WallpaperLayout::Center;
}

WallpaperOutcome ShowWallpaper(const std::vector<IWallpaperRoute*>& routes, const DesktopSession& session,
    const std::string& bitmap, std::optional<WallpaperLayout> layout)
{
    struct stat st { };
    if (stat(bitmap.c_str(), &st) != 0)
        return {false, "the wallpaper bitmap " + bitmap + " is missing"};
    const HandedPicture picture {MakeHandedFile(bitmap), layout};
    std::string tried;
    for (IWallpaperRoute* route : routes) {
        if (!route->AppliesTo(session))
            continue;
        const std::string failure = route->Apply(picture);
        if (failure.empty()) {
            DropOtherHandedFiles(bitmap, picture.file);
            return {true, route->Name()};
        }
        tried += (tried.empty() ? "" : "; ") + route->Name() + ": " + failure;
    }
    DropHandedFile(bitmap, picture.file);
    if (tried.empty())
        return {false, "no desktop here is known to show a wallpaper"};
    return {false, tried};
}

WallpaperOutcome PosixDesktop::ApplyWallpaperSettings()
{
    IRegistry* registry = Current().registry;
    const auto key = registry ? registry->OpenKey(desktop::Key) : nullptr;
    const RegString wallpaper = key ? key->QueryString(desktop::WallpaperValue) : RegString {};
    if (wallpaper.status != RegRead::Ok || wallpaper.value.empty())
        return {false, "no wallpaper is set"};
    const RegString tile = key->QueryString(desktop::TileWallpaperValue);
    const RegString style = key->QueryString(desktop::WallpaperStyleValue);
    const auto layout = LayoutOfValues(tile.status == RegRead::Ok ? tile.value : std::string(),
        style.status == RegRead::Ok ? style.value : std::string());
    return ShowWallpaper(routes_, CurrentSession(), wallpaper.value, layout);
}

std::vector<Monitor> PosixDesktop::Monitors() { return SessionMonitors(CurrentSession()); }

WallpaperOutcome ShowMonitorWallpapers(const std::vector<IWallpaperRoute*>& routes, const DesktopSession& session,
    const MonitorWallpapers& wallpapers, std::map<std::string, std::string>& handed, IWallpaperRoute*& last)
{
    for (const MonitorWallpaper& m : wallpapers.monitors) {
        struct stat st { };
        if (stat(m.bitmap.c_str(), &st) != 0)
            return {false, "the bitmap of " + m.monitor.name + ", " + m.bitmap + ", is missing"};
    }
    std::string tried, spannedBitmap, spannedHanded;
    for (IWallpaperRoute* route : routes) {
        if (!route->AppliesTo(session))
            continue;
        HandedMonitors request;
        for (const MonitorWallpaper& m : wallpapers.monitors) {
            const auto before = handed.find(m.bitmap);
            const bool keep
                = !m.fresh && route == last && before != handed.end() && access(before->second.c_str(), F_OK) == 0;
            request.monitors.push_back({m.monitor, keep ? before->second : MakeHandedFile(m.bitmap), !keep});
        }
        request.spanned = [&wallpapers, &spannedBitmap, &spannedHanded] {
            if (spannedHanded.empty() && wallpapers.spanned) {
                spannedBitmap = wallpapers.spanned();
                spannedHanded = spannedBitmap.empty() ? std::string() : MakeHandedFile(spannedBitmap);
            }
            return spannedHanded;
        };
        MonitorsTaken taken = route->ApplyMonitors(request);
        if (taken.failure.empty()) {
            handed.clear();
            for (std::size_t i = 0; i < request.monitors.size(); ++i) {
                handed[wallpapers.monitors[i].bitmap] = request.monitors[i].bitmap;
                DropOtherHandedFiles(wallpapers.monitors[i].bitmap, request.monitors[i].bitmap);
            }
            if (!spannedHanded.empty())
                DropOtherHandedFiles(spannedBitmap, spannedHanded);
            last = route;
            const bool shown = std::any_of(
                taken.monitors.begin(), taken.monitors.end(), [](const MonitorShown& m) { return m.shown; });
            return {shown, route->Name(), std::move(taken.monitors)};
        }
        // Names handed to a route that did not take them go again.
        for (std::size_t i = 0; i < request.monitors.size(); ++i)
            if (request.monitors[i].fresh && request.monitors[i].bitmap != wallpapers.monitors[i].bitmap)
                unlink(request.monitors[i].bitmap.c_str());
        tried += (tried.empty() ? "" : "; ") + route->Name() + ": " + taken.failure;
    }
    if (!spannedHanded.empty())
        DropHandedFile(spannedBitmap, spannedHanded);
    const std::string why = tried.empty() ? "no desktop here is known to show a wallpaper" : tried;
    std::vector<MonitorShown> monitors;
    for (const MonitorWallpaper& m : wallpapers.monitors)
        monitors.push_back({m.monitor.name, false, why});
    return {false, why, std::move(monitors)};
}

WallpaperOutcome PosixDesktop::ApplyMonitorWallpapers(const MonitorWallpapers& wallpapers)
{
    return ShowMonitorWallpapers(routes_, CurrentSession(), wallpapers, handed_, monitorsRoute_);
}

} // namespace kdx::platform::posix
