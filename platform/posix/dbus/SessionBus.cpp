#include "SessionBus.h"

#include "platform/posix/session/DesktopSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QVariant>

namespace kdx::platform::posix {

QDBusMessage CallOnSessionBus(const QDBusMessage& call, int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return call.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.NoServer"), QStringLiteral("there is no session bus"));
    return bus.call(call, QDBus::Block, timeoutMs);
}

std::string CallError(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return std::string();
    return (reply.errorName() + ": " + reply.errorMessage()).toStdString();
}

QVariant SessionBusProperty(
    const QString& service, const QString& path, const QString& interface, const QString& name, int timeoutMs)
{
    if (!ApplicationOnDesktop())
        return {};
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = CallOnSessionBus(get, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

bool SessionBusHasOwner(const QString& name)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(name).value();
}

} // namespace kdx::platform::posix
