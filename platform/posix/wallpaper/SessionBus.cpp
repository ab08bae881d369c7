#include "SessionBus.h"

#include <QDBusConnection>

namespace kdx::platform::posix {

std::string CallOnSessionBus(const QDBusMessage& call)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return "there is no session bus";
    constexpr int TimeoutMs = 5000;
    const QDBusMessage reply = bus.call(call, QDBus::Block, TimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return (reply.errorName() + ": " + reply.errorMessage()).toStdString();
    return std::string();
}

} // namespace kdx::platform::posix
