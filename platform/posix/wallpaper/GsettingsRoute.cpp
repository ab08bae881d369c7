#include "GsettingsRoute.h"

#include "platform/posix/files/Paths.h"
#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

namespace {

// "picture-options" has the same names in the three schemas.
const char* PictureOption(WallpaperLayout layout)
{
    switch (layout) {
    case WallpaperLayout::Tile:
        return "wallpaper";
    case WallpaperLayout::Stretch:
        return "stretched";
    case WallpaperLayout::Fit:
        return "scaled";
    case WallpaperLayout::Fill:
        return "zoom";
    case WallpaperLayout::Span:
        return "spanned";
    default:
        return "centered";
    }
}

} // namespace

GsettingsSchema GsettingsRoute::Gnome()
{
    return {"GNOME",
        {"gnome", "ubuntu", "unity", "budgie", "budgie-desktop", "pantheon", "gnome-classic", "gnome-flashback"},
        "org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark"};
}

GsettingsSchema GsettingsRoute::Cinnamon()
{
    return {"Cinnamon", {"x-cinnamon", "cinnamon"}, "org.cinnamon.desktop.background", "picture-uri", true, ""};
}

GsettingsSchema GsettingsRoute::Mate()
{
    return {"MATE", {"mate"}, "org.mate.background", "picture-filename", false, ""};
}

bool GsettingsRoute::AppliesTo(const DesktopSession& session) const
{
    for (const std::string& desktop : schema_.desktops)
        if (session.Is({desktop}))
            return true;
    return false;
}

std::string GsettingsRoute::Apply(const HandedPicture& picture)
{
    const std::string gsettings = FindProgram("gsettings");
    if (gsettings.empty())
        return ToolMissing("gsettings");
    const std::string value = schema_.pictureIsUri ? FileUri(picture.file) : picture.file;
    // Fails where the schema is not installed: the desktop is not there.
    if (const int status = RunDesktopTool({gsettings, "set", schema_.schema, schema_.pictureKey, value}))
        return ToolFailed("gsettings set " + schema_.schema + " " + schema_.pictureKey, status);
    // GNOME before 42 has no dark picture; the light one is what it shows.
    if (!schema_.darkKey.empty())
        RunDesktopTool({gsettings, "set", schema_.schema, schema_.darkKey, value});
    if (picture.layout)
        RunDesktopTool({gsettings, "set", schema_.schema, "picture-options", PictureOption(*picture.layout)});
    return std::string();
}

std::optional<bool> GsettingsRoute::Names(const std::string& file)
{
    const std::string gsettings = FindProgram("gsettings");
    std::string value;
    if (gsettings.empty() || RunDesktopTool({gsettings, "get", schema_.schema, schema_.pictureKey}, &value))
        return std::nullopt;
    // GVariant text: the string in single quotes.
    return value.find("'" + (schema_.pictureIsUri ? FileUri(file) : file) + "'") != std::string::npos;
}

} // namespace kdx::platform::posix
