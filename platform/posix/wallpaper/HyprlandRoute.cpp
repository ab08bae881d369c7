#include "HyprlandRoute.h"

#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

namespace {

// hyprctl ends well even when hyprpaper refuses: its answer is "ok" on success.
std::string Hyprpaper(const std::string& hyprctl, const std::string& request, const std::string& argument)
{
    std::string answer;
    const int status = RunDesktopTool({hyprctl, "hyprpaper", request, argument}, &answer);
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == ' '))
        answer.pop_back();
    if (status != 0)
        return ToolFailed("hyprctl hyprpaper " + request, status);
    return answer == "ok" ? std::string() : "hyprpaper: " + answer;
}

} // namespace

std::string HyprlandRoute::Apply(const HandedPicture& picture)
{
    const std::string hyprctl = FindProgram("hyprctl");
    if (hyprctl.empty())
        return ToolMissing("hyprctl");
    std::string failure = Hyprpaper(hyprctl, "preload", picture.file);
    if (failure.empty())
        failure = Hyprpaper(hyprctl, "wallpaper", "," + picture.file); // no monitor named: all
    if (failure.empty())
        Hyprpaper(hyprctl, "unload", "unused");
    return failure;
}

std::map<std::string, std::string> HyprpaperActive(const std::string& answer)
{
    std::map<std::string, std::string> active;
    for (std::size_t begin = 0; begin < answer.size();) {
        std::size_t end = answer.find('\n', begin);
        if (end == std::string::npos)
            end = answer.size();
        const std::string line = answer.substr(begin, end - begin);
        begin = end + 1;
        const std::size_t equals = line.find(" = ");
        if (equals != std::string::npos)
            active[line.substr(0, equals)] = line.substr(equals + 3);
    }
    return active;
}

MonitorsTaken HyprlandRoute::ApplyMonitors(const HandedMonitors& handed)
{
    const std::string hyprctl = FindProgram("hyprctl");
    if (hyprctl.empty())
        return {ToolMissing("hyprctl"), {}};
    for (const HandedMonitor& m : handed.monitors) {
        if (!m.fresh)
            continue;
        std::string failure = Hyprpaper(hyprctl, "preload", m.bitmap);
        if (failure.empty())
            failure = Hyprpaper(hyprctl, "wallpaper", m.monitor.name + "," + m.bitmap);
        if (!failure.empty())
            return {failure, {}};
    }
    Hyprpaper(hyprctl, "unload", "unused");
    std::string answer;
    const bool read = RunDesktopTool({hyprctl, "hyprpaper", "listactive"}, &answer) == 0;
    std::map<std::string, std::string> active = HyprpaperActive(answer);
    MonitorsTaken taken;
    for (const HandedMonitor& m : handed.monitors) {
        if (!read || active[m.monitor.name] == m.bitmap)
            taken.monitors.push_back({m.monitor.name, true, Name()});
        else
            taken.monitors.push_back({m.monitor.name, false,
                active[m.monitor.name].empty() ? "hyprpaper shows no picture on it"
                                               : "hyprpaper shows " + active[m.monitor.name] + " instead"});
    }
    return taken;
}

} // namespace kdx::platform::posix
