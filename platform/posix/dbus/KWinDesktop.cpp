#include "KWinDesktop.h"

#include "SessionBus.h"
#include "platform/posix/session/DesktopSession.h"

namespace kdx::platform::posix {

bool KWinShowDesktop()
{
    if (!ApplicationOnDesktop())
        return false;
    constexpr int KWinTimeoutMs = 2000;
    QDBusMessage show = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"),
        QStringLiteral("org.kde.KWin"), QStringLiteral("showDesktop"));
    show << true;
    return CallOnSessionBus(show, KWinTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace kdx::platform::posix
