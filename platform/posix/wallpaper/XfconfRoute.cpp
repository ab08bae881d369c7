#include "XfconfRoute.h"

#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

namespace {

int ImageStyle(WallpaperLayout layout)
{
    switch (layout) {
    case WallpaperLayout::Tile:
        return 2;
    case WallpaperLayout::Stretch:
        return 3;
    case WallpaperLayout::Fit:
        return 4;
    case WallpaperLayout::Fill:
        return 5;
    default:
        return 1;
    }
}

// The backdrops' "last-image" properties among the channel's listed properties.
std::vector<std::string> LastImages(const std::string& listing)
{
    static const std::string suffix = "/last-image";
    std::vector<std::string> found;
    for (std::size_t begin = 0; begin < listing.size();) {
        std::size_t end = listing.find('\n', begin);
        if (end == std::string::npos)
            end = listing.size();
        const std::string property = listing.substr(begin, end - begin);
        begin = end + 1;
        if (property.rfind("/backdrop/", 0) == 0 && property.size() > suffix.size()
            && property.compare(property.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(property);
    }
    return found;
}

} // namespace

std::string XfconfRoute::Apply(const HandedPicture& picture)
{
    const std::string xfconf = FindProgram("xfconf-query");
    if (xfconf.empty())
        return ToolMissing("xfconf-query");
    std::string listing;
    if (const int status = RunDesktopTool({xfconf, "-c", "xfce4-desktop", "-l"}, &listing))
        return ToolFailed("xfconf-query -l", status);
    const std::vector<std::string> images = LastImages(listing);
    if (images.empty())
        return "xfdesktop has no backdrop in xfconf yet";
    int set = 0;
    for (const std::string& image : images) {
        if (RunDesktopTool({xfconf, "-c", "xfce4-desktop", "-p", image, "-n", "-t", "string", "-s", picture.file}))
            continue;
        ++set;
        if (picture.layout) {
            const std::string style = image.substr(0, image.rfind('/')) + "/image-style";
            RunDesktopTool({xfconf, "-c", "xfce4-desktop", "-p", style, "-n", "-t", "int", "-s",
                std::to_string(ImageStyle(*picture.layout))});
        }
    }
    return set ? std::string() : "xfconf-query could not set a backdrop";
}

} // namespace kdx::platform::posix
