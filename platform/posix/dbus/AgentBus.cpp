#include "AgentBus.h"

#include "AgentBusAdaptor.h"
#include "platform/posix/session/DesktopSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace kdx::platform::posix {

const char* const AgentBus::ServiceName = "com.tembrix.KaleidraAgent";
const char* const AgentBus::ObjectPath = "/com/tembrix/KaleidraAgent";

namespace {

const QString Interface = QStringLiteral("com.tembrix.KaleidraAgent1");

} // namespace

AgentBusObject::AgentBusObject(IAgentBus::Commands commands) : commands_(std::move(commands))
{
    if (commands_.state)
        state_ = commands_.state(false);
}

void AgentBusObject::Announce(const AgentState& state)
{
    // Qt sends no PropertiesChanged of its own; listeners (a panel's widget) follow it.
    QVariantMap changed;
    if (state.currentWallpaper != state_.currentWallpaper)
        changed.insert(QStringLiteral("CurrentWallpaper"), QString::fromStdString(state.currentWallpaper));
    if (state.nextChange != state_.nextChange)
        changed.insert(QStringLiteral("NextChange"), qlonglong(state.nextChange));
    state_.currentWallpaper = state.currentWallpaper;
    state_.nextChange = state.nextChange;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(AgentBus::ObjectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << Interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void AgentBusObject::ShowWindow() { commands_.showWindow(); }
void AgentBusObject::ExecuteScreensaver() { commands_.executeScreensaver(); }
void AgentBusObject::NextWallpaper() { commands_.nextWallpaper(); }
void AgentBusObject::ClearDesktop() { commands_.clearDesktop(); }

QVariantMap AgentBusObject::Status()
{
    const AgentState state = commands_.state(true);
    return {{QStringLiteral("CurrentWallpaper"), QString::fromStdString(state.currentWallpaper)},
        {QStringLiteral("NextChange"), qlonglong(state.nextChange)}, {QStringLiteral("Screensavers"), state.savers},
        {QStringLiteral("FlashMovies"), state.flashMovies}, {QStringLiteral("Pictures"), state.pictures},
        {QStringLiteral("Wallpapers"), state.wallpapers}};
}

AgentBus::AgentBus() = default;
AgentBus::~AgentBus() = default;

bool AgentBus::Publish(Commands commands)
{
    Withdraw();
    if (!ApplicationOnDesktop())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    auto object = std::make_unique<AgentBusObject>(std::move(commands));
    new AgentBusAdaptor(object.get()); // owned by the object
    // The object first, so a program that sees the name appear finds it.
    if (!bus.registerObject(QString::fromLatin1(ObjectPath), object.get()))
        return false;
    // The name is not queued for: an agent of another session of the user that owns it keeps it,
    // and this one stays off the bus rather than take it over later.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> owned
        = bus.interface()->registerService(QString::fromLatin1(ServiceName), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
    if (!owned.isValid() || owned.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(ObjectPath));
        return false;
    }
    object_ = std::move(object);
    return true;
}

void AgentBus::StateChanged(const AgentState& state)
{
    if (object_)
        object_->Announce(state);
}

void AgentBus::WallpaperChanged(const std::string& picture)
{
    if (object_)
        emit object_->WallpaperChanged(QString::fromStdString(picture));
}

void AgentBus::Withdraw()
{
    if (!object_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.interface()->unregisterService(QString::fromLatin1(ServiceName));
    bus.unregisterObject(QString::fromLatin1(ObjectPath));
    object_.reset();
}

} // namespace kdx::platform::posix
