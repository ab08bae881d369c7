#include "PosixDesktop.h"

#include "HandedFile.h"
#include "platform/Platform.h"

#include <sys/stat.h>

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

} // namespace kdx::platform::posix
