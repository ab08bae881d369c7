#include "SwaybgRoute.h"

#include "SwayRoute.h"
#include "platform/posix/process/Process.h"

namespace kdx::platform::posix {

std::string SwaybgRoute::Apply(const HandedPicture& picture)
{
    const std::string swaybg = FindProgram("swaybg");
    if (swaybg.empty())
        return ToolMissing("swaybg");
    const int started = StartChild({swaybg, "-i", picture.file, "-m", SwaybgMode(picture.layout)});
    // swaybg reads the picture and binds to the compositor at once; it ends at once when either fails.
    constexpr int SettleMs = 500;
    if (started <= 0 || !ChildRunsAfter(started, SettleMs))
        return "swaybg ended at once (no layer-shell in this compositor, or an unreadable picture)";
    EndChild(running_);
    running_ = started;
    return std::string();
}

} // namespace kdx::platform::posix
