#include "DesktopSession.h"

#include "platform/AsciiCase.h"

#include <QCoreApplication>
#include <QVariant>

#include <cstdlib>

namespace kdx::platform::posix {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

DesktopSession CurrentSession()
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

bool ApplicationOnDesktop()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString platform = app->property("platformName").toString();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace kdx::platform::posix
