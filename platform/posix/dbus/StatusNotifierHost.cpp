#include "StatusNotifierHost.h"

#include "SessionBus.h"
#include "platform/posix/session/DesktopSession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QVariant>

namespace kdx::platform::posix {

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int WatcherTimeoutMs = 1000;

// Receives the watcher's comings and goings and its hosts' registrations. A child of the
// application, so that it ends while the bus connection still exists.
class WatcherSignals : public QObject {
    Q_OBJECT
public:
    WatcherSignals(std::function<void()> changed, QObject* parent) : QObject(parent), changed_(std::move(changed))
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        auto* watcher = new QDBusServiceWatcher(WatcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &WatcherSignals::Changed);
        // D-Bus signals connect by name only.
        for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(WatcherService, WatcherPath, WatcherService, QLatin1String(signal), this, SLOT(Changed()));
    }

public slots:
    void Changed() { changed_(); }

private:
    std::function<void()> changed_;
};

} // namespace

bool StatusNotifierHost::Present()
{
    // The same question the toolkit asks before it gives the icon to a StatusNotifier host; a
    // watcher that does not answer within a moment counts as absent.
    return SessionBusProperty(
        WatcherService, WatcherPath, WatcherService, QStringLiteral("IsStatusNotifierHostRegistered"), WatcherTimeoutMs)
        .toBool();
}

void StatusNotifierHost::Watch(std::function<void()> changed)
{
    changed_ = std::move(changed);
    if (watching_ || !changed_ || !ApplicationOnDesktop() || !QDBusConnection::sessionBus().isConnected())
        return;
    watching_ = true;
    new WatcherSignals(
        [this] {
            if (changed_)
                changed_();
        },
        QCoreApplication::instance());
}

} // namespace kdx::platform::posix

#include "StatusNotifierHost.moc"
