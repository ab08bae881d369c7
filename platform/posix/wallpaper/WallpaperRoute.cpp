#include "WallpaperRoute.h"

#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

int RunDesktopTool(const std::vector<std::string>& argv, std::string* output)
{
    // A desktop's settings tool answers in well under a second.
    constexpr int TimeoutMs = 5000;
    return RunAndWait(argv, TimeoutMs, output);
}

std::string ToolMissing(const std::string& tool) { return tool + " is not installed"; }

std::string ToolFailed(const std::string& tool, int status)
{
    if (status < 0)
        return tool + " did not answer";
    return tool + " failed (exit status " + std::to_string(status) + ")";
}

std::vector<MonitorShown> AllMonitors(const HandedMonitors& handed, bool shown, const std::string& why)
{
    std::vector<MonitorShown> monitors;
    for (const HandedMonitor& m : handed.monitors)
        monitors.push_back({m.monitor.name, shown, why});
    return monitors;
}

MonitorsTaken IWallpaperRoute::ApplyMonitors(const HandedMonitors& handed)
{
    const std::string spanned = handed.spanned ? handed.spanned() : std::string();
    if (spanned.empty())
        return {"the picture over the whole desktop could not be made", {}};
    if (std::string failure = Apply({spanned, WallpaperLayout::Span}); !failure.empty())
        return {failure, {}};
    if (Names(spanned) == false)
        return {"", AllMonitors(handed, false, Name() + " names another picture, not the one it was handed")};
    return {"", AllMonitors(handed, true, Name() + ": its part of one picture over the whole desktop")};
}

MonitorsTaken IWallpaperRoute::ApplyPrimaryOnly(const HandedMonitors& handed)
{
    if (handed.monitors.empty())
        return {"no monitor", {}};
    const HandedMonitor& primary = handed.monitors.front();
    if (std::string failure = Apply({primary.bitmap, WallpaperLayout::Stretch}); !failure.empty())
        return {failure, {}};
    std::vector<MonitorShown> shown = AllMonitors(
        handed, false, Name() + " shows one picture on every monitor: the one of " + primary.monitor.name);
    shown.front() = {primary.monitor.name, true, Name()};
    return {"", shown};
}

} // namespace kdx::platform::posix
