#include "WallpaperRoute.h"

#include "platform/posix/Process.h"

#include <cstdlib>

namespace kdx::platform::posix {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

} // namespace

DesktopSession DesktopSession::FromEnvironment()
{
    DesktopSession session;
    // A colon-separated list, such as "ubuntu:GNOME".
    const std::string current = LowerAscii(Env("XDG_CURRENT_DESKTOP"));
    for (std::size_t begin = 0; begin < current.size();) {
        std::size_t end = current.find(':', begin);
        if (end == std::string::npos)
            end = current.size();
        if (end > begin)
            session.desktops.push_back(current.substr(begin, end - begin));
        begin = end + 1;
    }
    session.wayland = !Env("WAYLAND_DISPLAY").empty() || LowerAscii(Env("XDG_SESSION_TYPE")) == "wayland";
    session.swayIpc = !Env("SWAYSOCK").empty();
    session.hyprland = !Env("HYPRLAND_INSTANCE_SIGNATURE").empty();
    return session;
}

bool DesktopSession::Is(std::initializer_list<std::string_view> names) const
{
    for (const std::string& desktop : desktops)
        for (const std::string_view name : names)
            if (desktop == name)
                return true;
    return false;
}

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
