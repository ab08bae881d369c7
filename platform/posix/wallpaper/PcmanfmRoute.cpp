#include "PcmanfmRoute.h"

#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

std::string PcmanfmRoute::Apply(const HandedPicture& picture)
{
    const std::string program = FindProgram(program_);
    if (program.empty())
        return ToolMissing(program_);
    std::vector<std::string> command {program, "--set-wallpaper", picture.file};
    if (picture.layout) {
        std::string mode;
        switch (*picture.layout) {
        case WallpaperLayout::Tile:
            mode = "tile";
            break;
        case WallpaperLayout::Stretch:
            mode = "stretch";
            break;
        case WallpaperLayout::Fit:
            mode = "fit";
            break;
        case WallpaperLayout::Fill:
            mode = fillMode_;
            break;
        case WallpaperLayout::Span:
            mode = spanMode_;
            break;
        default:
            mode = "center";
        }
        command.insert(command.end(), {"--wallpaper-mode", mode});
    }
    // Without a running desktop instance the program would stay as that instance: it is then
    // given up after the tool's time and the route fails.
    if (const int status = RunDesktopTool(command))
        return ToolFailed(program_, status);
    return std::string();
}

} // namespace kdx::platform::posix
