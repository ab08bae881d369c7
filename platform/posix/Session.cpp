#include "Session.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
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

QVariant SessionBusProperty(
    const QString& service, const QString& path, const QString& interface, const QString& name, int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!ApplicationOnDesktop() || !bus.isConnected())
        return {};
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

} // namespace kdx::platform::posix
