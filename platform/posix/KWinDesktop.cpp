#include "KWinDesktop.h"

#include "Session.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace kdx::platform::posix {

namespace {
constexpr int KWinTimeoutMs = 2000;
}

bool KWinShowDesktop()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!ApplicationOnDesktop() || !bus.isConnected())
        return false;
    QDBusMessage show = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"),
        QStringLiteral("org.kde.KWin"), QStringLiteral("showDesktop"));
    show << true;
    return bus.call(show, QDBus::Block, KWinTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace kdx::platform::posix
