#include "SessionBus.h"

#include "platform/posix/session/DesktopSession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>

#include <optional>

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

namespace {

// Receives one portal request's Response.
class ResponseWait : public QObject {
    Q_OBJECT
public:
    std::optional<uint> response;
    QEventLoop loop;

public slots:
    void Response(uint code, const QVariantMap&)
    {
        response = code;
        loop.quit();
    }
};

QString RequestToken()
{
    static int serial = 0;
    return QStringLiteral("kaleidra_request%1").arg(++serial);
}

} // namespace

PortalAnswer CallPortalRequest(QDBusMessage call, int timeoutMs)
{
    // The answer arrives through the event loop, which needs the application object.
    if (!QCoreApplication::instance())
        return {-1, "no event loop to wait for the portal's answer"};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {-1, "there is no session bus"};
    const QString token = RequestToken();
    QVariantList arguments = call.arguments();
    QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.push_back(options);
    call.setArguments(arguments);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    const QString service = call.service(), interface = QStringLiteral("org.freedesktop.portal.Request");
    ResponseWait wait;
    bus.connect(service, request, interface, QStringLiteral("Response"), &wait, SLOT(Response(uint, QVariantMap)));
    PortalAnswer answer;
    QDBusPendingCallWatcher reply(bus.asyncCall(call, timeoutMs));
    QObject::connect(&reply, &QDBusPendingCallWatcher::finished, &wait, [&] {
        if (reply.isError()) {
            answer.error = CallError(reply.reply());
            wait.loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &wait.loop, &QEventLoop::quit);
    if (!wait.response && answer.error.empty())
        wait.loop.exec(QEventLoop::ExcludeUserInputEvents);
    bus.disconnect(service, request, interface, QStringLiteral("Response"), &wait, SLOT(Response(uint, QVariantMap)));
    if (wait.response)
        answer.response = int(*wait.response);
    else if (answer.error.empty())
        answer.error = "no answer within " + std::to_string(timeoutMs / 1000) + " s";
    return answer;
}

bool SessionBusHasOwner(const QString& name)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(name).value();
}

} // namespace kdx::platform::posix

#include "SessionBus.moc"
