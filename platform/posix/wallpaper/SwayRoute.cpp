#include "SwayRoute.h"

#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

const char* SwaybgMode(std::optional<WallpaperLayout> layout)
{
    switch (layout.value_or(WallpaperLayout::Fill)) {
    case WallpaperLayout::Tile:
        return "tile";
    case WallpaperLayout::Stretch:
        return "stretch";
    case WallpaperLayout::Fit:
        return "fit";
    case WallpaperLayout::Fill:
        return "fill";
    default:
        return "center";
    }
}

std::string SwayCommand(const HandedPicture& picture)
{
    // sway splits its commands at blanks outside quotes.
    std::string quoted = "\"";
    for (const char c : picture.file) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return "output * bg " + quoted + "\" " + SwaybgMode(picture.layout);
}

std::string SwayRoute::Apply(const HandedPicture& picture)
{
    const std::string swaymsg = FindProgram("swaymsg");
    if (swaymsg.empty())
        return ToolMissing("swaymsg");
    std::vector<std::string> argv {swaymsg};
    // A program started without $SWAYSOCK is told the socket of the sway that runs.
    if (const std::string socket = SwaySocket(); !socket.empty())
        argv.insert(argv.end(), {"-s", socket});
    argv.insert(argv.end(), {"--", SwayCommand(picture)});
    // swaymsg exits non-zero when sway refuses the command (an unreadable picture).
    if (const int status = RunDesktopTool(argv))
        return ToolFailed("swaymsg", status);
    return std::string();
}

} // namespace kdx::platform::posix
