#include "SwayRoute.h"

#include "platform/posix/process/Process.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <thread>

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

namespace {

// sway splits its commands at blanks outside quotes.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A file of /proc, whose size is not known before it is read.
std::string ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// sway's process id, from its socket's name ($XDG_RUNTIME_DIR/sway-ipc.<uid>.<pid>.sock); empty
// when the socket is not named so.
std::string SwayProcess()
{
    const char* socket = std::getenv("SWAYSOCK");
    const std::string name = socket ? socket : "";
    const std::size_t end = name.rfind(".sock"), start = name.rfind('.', end == std::string::npos ? 0 : end - 1);
    if (end == std::string::npos || start == std::string::npos)
        return {};
    const std::string pid = name.substr(start + 1, end - start - 1);
    return pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ? std::string() : pid;
}

// The arguments of the swaybg that sway runs (its child), or nothing when there is none.
std::optional<std::vector<std::string>> SwaysBackground(const std::string& sway)
{
    DIR* proc = opendir("/proc");
    if (!proc)
        return std::nullopt;
    std::optional<std::vector<std::string>> found;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // "pid (comm) state ppid ..."
        const std::string stat = ReadSmallFile("/proc/" + pid + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos || stat.find("(swaybg)") == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 1));
        std::string state, ppid;
        fields >> state >> ppid;
        if (ppid != sway)
            continue;
        std::vector<std::string> arguments;
        const std::string cmdline = ReadSmallFile("/proc/" + pid + "/cmdline");
        for (std::size_t at = 0; at < cmdline.size();) {
            const std::size_t zero = cmdline.find('\0', at);
            arguments.push_back(cmdline.substr(at, zero == std::string::npos ? std::string::npos : zero - at));
            at = zero == std::string::npos ? cmdline.size() : zero + 1;
        }
        found = arguments;
    }
    closedir(proc);
    return found;
}

} // namespace

std::map<std::string, std::string> SwaybgPictures(const std::vector<std::string>& arguments)
{
    std::map<std::string, std::string> pictures;
    std::string output;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-o" || arguments[i] == "--output")
            output = arguments[++i];
        else if (arguments[i] == "-i" || arguments[i] == "--image")
            pictures[output] = arguments[++i];
    }
    return pictures;
}

std::string SwayCommand(const HandedPicture& picture)
{
    return "output * bg " + Quoted(picture.file) + " " + SwaybgMode(picture.layout);
}

MonitorsTaken SwayRoute::ApplyMonitors(const HandedMonitors& handed)
{
    const std::string swaymsg = FindProgram("swaymsg");
    if (swaymsg.empty())
        return {ToolMissing("swaymsg"), {}};
    for (const HandedMonitor& m : handed.monitors)
        if (m.fresh)
            if (const int status = RunDesktopTool(
                    {swaymsg, "--", "output " + Quoted(m.monitor.name) + " bg " + Quoted(m.bitmap) + " stretch"}))
                return {ToolFailed("swaymsg", status), {}};
    // sway starts its new background program as the command ends; it is given a moment.
    std::map<std::string, std::string> shown;
    bool read = false;
    const std::string sway = SwayProcess();
    for (int tries = 0; tries < 20 && !sway.empty(); ++tries) {
        const auto arguments = SwaysBackground(sway);
        read = read || arguments;
        shown = arguments ? SwaybgPictures(*arguments) : shown;
        if (std::all_of(handed.monitors.begin(), handed.monitors.end(),
                [&shown](const HandedMonitor& m) { return shown[m.monitor.name] == m.bitmap; }))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    MonitorsTaken taken;
    for (const HandedMonitor& m : handed.monitors) {
        if (!read)
            taken.monitors.push_back({m.monitor.name, true, Name()});
        else if (shown[m.monitor.name] == m.bitmap)
            taken.monitors.push_back({m.monitor.name, true, Name() + ", its swaybg showing it"});
        else
            taken.monitors.push_back({m.monitor.name, false,
                shown[m.monitor.name].empty() ? "sway's swaybg shows no picture on it"
                                              : "sway's swaybg shows " + shown[m.monitor.name] + " instead"});
    }
    return taken;
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
