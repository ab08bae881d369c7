#include "PortalRoute.h"

#include "platform/posix/dbus/SessionBus.h"
#include "platform/posix/files/Paths.h"

#include <QVariantMap>

namespace kdx::platform::posix {

std::string PortalRoute::Apply(const HandedPicture& picture)
{
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Wallpaper", "SetWallpaperURI");
    const QVariantMap options {{"show-preview", false}, {"set-on", QStringLiteral("background")}};
    call << QString() << QString::fromStdString(FileUri(picture.file)) << options;
    const std::string error = CallError(CallOnSessionBus(call));
    return error.empty() ? error : "the portal: " + error;
}

} // namespace kdx::platform::posix
