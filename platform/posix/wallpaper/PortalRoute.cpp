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
    // The call answers with a request at once; the desktop says later whether it took the picture.
    constexpr int AnswerMs = 10000;
    const PortalAnswer answer = CallPortalRequest(call, AnswerMs);
    if (!answer.error.empty())
        return "the portal: " + answer.error;
    switch (answer.response) {
    case 0:
        return std::string();
    case 1:
        return "the portal: the change was cancelled";
    default:
        return "the portal: the desktop refused the picture";
    }
}

} // namespace kdx::platform::posix
