#include "Session.h"

#include <QCoreApplication>
#include <QVariant>

#include <cstdlib>
#include <cstring>

namespace kdx::platform::posix {

bool IsWaylandSession()
{
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (type && std::strcmp(type, "wayland") == 0) || (display && *display);
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
