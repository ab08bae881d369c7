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
    case WallpaperLayout::Span:
        return 6;
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

// "xfconf-query -c xfce4-desktop" with these arguments; its exit status.
int Xfconf(const std::string& xfconf, std::vector<std::string> arguments, std::string* output = nullptr)
{
    arguments.insert(arguments.begin(), {xfconf, "-c", "xfce4-desktop"});
    return RunDesktopTool(arguments, output);
}

} // namespace

std::vector<std::string> MonitorLastImages(const std::string& listing, const std::string& name)
{
    const std::string part = "/monitor" + name + "/";
    std::vector<std::string> found;
    for (const std::string& property : LastImages(listing)) {
        // /backdrop/screen<N>/monitor<NAME>/workspace<N>/last-image
        const std::size_t at = property.find(part);
        if (at != std::string::npos && property.find('/', at + part.size()) == property.rfind('/'))
            found.push_back(property);
    }
    return found;
}

MonitorsTaken XfconfRoute::ApplyMonitors(const HandedMonitors& handed)
{
    const std::string xfconf = FindProgram("xfconf-query");
    if (xfconf.empty())
        return {ToolMissing("xfconf-query"), {}};
    std::string listing;
    if (const int status = Xfconf(xfconf, {"-l"}, &listing))
        return {ToolFailed("xfconf-query -l", status), {}};
    if (LastImages(listing).empty())
        return {"xfdesktop has no backdrop in xfconf yet", {}};
    MonitorsTaken taken;
    for (const HandedMonitor& m : handed.monitors) {
        const std::string name = m.monitor.output.empty() ? m.monitor.name : m.monitor.output;
        const std::vector<std::string> images = MonitorLastImages(listing, name);
        if (images.empty()) {
            taken.monitors.push_back({m.monitor.name, false,
                m.monitor.output.empty() && !m.monitor.name.empty()
                    ? "xfdesktop has no backdrop for it: xfdesktop shows only monitors driven by an output"
                    : "xfdesktop has no backdrop for it (yet)"});
            continue;
        }
        for (const std::string& image : m.fresh ? images : std::vector<std::string>()) {
            Xfconf(xfconf, {"-p", image, "-n", "-t", "string", "-s", m.bitmap});
            const std::string style = image.substr(0, image.rfind('/')) + "/image-style";
            Xfconf(
                xfconf, {"-p", style, "-n", "-t", "int", "-s", std::to_string(ImageStyle(WallpaperLayout::Stretch))});
        }
        std::string named;
        Xfconf(xfconf, {"-p", images.front()}, &named);
        while (!named.empty() && (named.back() == '\n' || named.back() == ' '))
            named.pop_back();
        if (named == m.bitmap)
            taken.monitors.push_back({m.monitor.name, true, Name()});
        else
            taken.monitors.push_back({m.monitor.name, false, "xfdesktop's backdrop names " + named + " instead"});
    }
    return taken;
}

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
