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

} // namespace kdx::platform::posix
