#include "SwaybgRoute.h"

#include "SwayRoute.h"
#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

std::string SwaybgRoute::Replace(const std::vector<std::string>& arguments)
{
    const std::string swaybg = FindProgram("swaybg");
    if (swaybg.empty())
        return ToolMissing("swaybg");
    std::vector<std::string> command {swaybg};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const int started = StartChild(command);
    // swaybg reads the picture and binds to the compositor at once; it ends at once when either fails.
    constexpr int SettleMs = 500;
    if (started <= 0 || !ChildRunsAfter(started, SettleMs))
        return "swaybg ended at once (no layer-shell in this compositor, or an unreadable picture)";
    EndChild(running_);
    running_ = started;
    return std::string();
}

std::string SwaybgRoute::Apply(const HandedPicture& picture)
{
    return Replace({"-i", picture.file, "-m", SwaybgMode(picture.layout)});
}

MonitorsTaken SwaybgRoute::ApplyMonitors(const HandedMonitors& handed)
{
    std::vector<std::string> arguments;
    for (const HandedMonitor& m : handed.monitors) {
        if (m.monitor.name.empty())
            return ApplyPrimaryOnly(handed);
        arguments.insert(arguments.end(), {"-o", m.monitor.name, "-i", m.bitmap, "-m", "stretch"});
    }
    if (std::string failure = Replace(arguments); !failure.empty())
        return {failure, {}};
    return {"", AllMonitors(handed, true, Name())};
}

} // namespace kdx::platform::posix
