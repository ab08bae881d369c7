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

} // namespace kdx::platform::posix
