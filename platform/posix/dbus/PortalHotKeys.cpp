#include "PortalHotKeys.h"

#include "SessionBus.h"
#include "platform/posix/x11/VirtualKeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// One entry of the portal's shortcut lists, a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace kdx::platform::posix {

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int ProbeTimeoutMs = 3000;

QString Token()
{
    static int serial = 0;
    return QStringLiteral("kaleidra%1").arg(++serial);
}

} // namespace

// One portal session: created, given the keys, then told each press until it ends (it closes
// the session on the portal as it goes). A child of nothing: its owner deletes it.
class PortalSession : public QObject {
    Q_OBJECT
public:
    PortalSession(std::vector<PortalHotKeys::Key> keys, std::function<void(bool bound)> done,
        std::function<void(const std::string&)> pressed)
        : keys_(std::move(keys)), done_(std::move(done)), pressed_(std::move(pressed))
    {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        // Qt 6.4 finds a slot's argument types by name, and knows QDBusObjectPath by name only
        // once something has registered it (QTBUG-108822): until then the connection fails, and
        // the presses never arrive.
        qRegisterMetaType<QDBusObjectPath>();
        if (!bus_.connect(PortalService, PortalPath, ShortcutsInterface, QStringLiteral("Activated"), this,
                SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)))) {
            // Keys whose presses could not arrive would be bound for nothing.
            done_(false);
            return;
        }
        Call(QStringLiteral("CreateSession"), {}, QVariantMap {{QStringLiteral("session_handle_token"), Token()}});
    }

    ~PortalSession() override
    {
        if (session_.isEmpty())
            return;
        bus_.send(QDBusMessage::createMethodCall(
            PortalService, session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    }

public slots:
    void Response(uint code, const QVariantMap& results)
    {
        bus_.disconnect(PortalService, request_, RequestInterface, QStringLiteral("Response"), this,
            SLOT(Response(uint, QVariantMap)));
        if (code != 0)
            return done_(false);
        if (session_.isEmpty()) {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            // A string in the portal's answers so far; an object path would do as well.
            const bool path = handle.metaType() == QMetaType::fromType<QDBusObjectPath>();
            session_ = path ? handle.value<QDBusObjectPath>().path() : handle.toString();
            return Bind();
        }
        // A desktop may bind fewer keys than it was offered, or none (Plasma 5.27 binds none).
        const auto bound = qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
        for (const PortalHotKeys::Key& key : keys_) {
            const QString id = QString::fromStdString(IdOf(key));
            if (std::none_of(bound.begin(), bound.end(), [&](const PortalShortcut& s) { return s.id == id; }))
                return done_(false);
        }
        done_(true);
    }

    void Activated(const QDBusObjectPath& session, const QString& shortcut, qulonglong, const QVariantMap&)
    {
        if (session.path() == session_)
            pressed_(shortcut.toStdString());
    }

    // Named after the keys, so that a desktop that asks the user once per shortcut asks again
    // only when the keys change.
    static std::string IdOf(const PortalHotKeys::Key& key) { return "kaleidra-" + key.trigger; }

private:
    void Bind()
    {
        QList<PortalShortcut> shortcuts;
        for (const PortalHotKeys::Key& key : keys_)
            shortcuts.push_back({QString::fromStdString(IdOf(key)),
                {{QStringLiteral("description"), QString::fromStdString(key.description)},
                    {QStringLiteral("preferred_trigger"), QString::fromStdString(key.trigger)}}});
        Call(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()}, {});
    }

    // A portal request: its answer comes as a Response signal on a path made of our name and
    // the token, which is listened to before the call so that no answer is missed.
    void Call(const QString& method, QVariantList arguments, QVariantMap options)
    {
        const QString token = Token();
        options.insert(QStringLiteral("handle_token"), token);
        QString sender = bus_.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        request_ = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        bus_.connect(PortalService, request_, RequestInterface, QStringLiteral("Response"), this,
            SLOT(Response(uint, QVariantMap)));
        QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ShortcutsInterface, method);
        arguments.push_back(options);
        call.setArguments(arguments);
        auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            if (call->isError())
                done_(false);
            call->deleteLater();
        });
    }

private:
    QDBusConnection bus_ = QDBusConnection::sessionBus();
    std::vector<PortalHotKeys::Key> keys_;
    std::function<void(bool)> done_;
    std::function<void(const std::string&)> pressed_;
    QString request_;
    QString session_;
};

std::string PortalTrigger(unsigned modifiers, unsigned virtualKey)
{
    const std::string name = KeySymName(virtualKey);
    if (name.empty())
        return {};
    std::string trigger;
    for (const auto& [flag, word] : {std::pair {ModControl, "CTRL+"}, std::pair {ModAlt, "ALT+"},
             std::pair {ModShift, "SHIFT+"}, std::pair {ModWin, "LOGO+"}})
        if (modifiers & flag)
            trigger += word;
    return trigger + name;
}

PortalHotKeys::PortalHotKeys() = default;
PortalHotKeys::~PortalHotKeys() = default;

bool PortalHotKeys::Offered()
{
    const QVariant version
        = SessionBusProperty(PortalService, PortalPath, ShortcutsInterface, QStringLiteral("version"), ProbeTimeoutMs);
    return version.toUInt() >= 1;
}

bool PortalHotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    const std::string trigger = PortalTrigger(modifiers, virtualKey);
    if (trigger.empty())
        return false;
    const Key key {window, id, trigger, "Kaleidra Agent hot key " + trigger};
    const std::string shortcut = PortalSession::IdOf(key);
    // Like Windows, one key combination belongs to one hot key, ours included.
    for (const auto& [other, known] : keys_)
        if (known.trigger == trigger || other == shortcut)
            return false;
    keys_.emplace(shortcut, key);
    ScheduleBind();
    return true;
}

bool PortalHotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    for (auto it = keys_.begin(); it != keys_.end(); ++it)
        if (it->second.window == window && it->second.id == id) {
            keys_.erase(it);
            ScheduleBind();
            return true;
        }
    return false;
}

void PortalHotKeys::SetHandler(WindowHandle window, Handler handler)
{
    if (handler)
        handlers_[window] = std::move(handler);
    else
        handlers_.erase(window);
}

void PortalHotKeys::ScheduleBind()
{
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, [this] {
        scheduled_ = false;
        Bind();
    });
}

void PortalHotKeys::Bind()
{
    std::vector<std::string> shortcuts;
    std::vector<Key> keys;
    for (const auto& [shortcut, key] : keys_) {
        shortcuts.push_back(shortcut);
        keys.push_back(key);
    }
    // The same keys again (OK in the preference dialog without changes) keep their session: a
    // new one would be offered to the desktop anew, which may ask the user again.
    if (session_ && shortcuts == sessionShortcuts_)
        return;
    // A portal session binds once: a change of keys is a new session.
    session_.reset();
    sessionShortcuts_ = shortcuts;
    if (keys_.empty())
        return;
    session_ = std::make_unique<PortalSession>(
        std::move(keys),
        [this](bool bound) {
            const bool refusedNow = !bound && !refused_;
            refused_ = !bound;
            if (refusedNow && onRefused_)
                QTimer::singleShot(0, [refused = onRefused_] { refused(); });
        },
        [this](const std::string& shortcut) { Pressed(shortcut); });
}

void PortalHotKeys::Pressed(const std::string& shortcut)
{
    const auto key = keys_.find(shortcut);
    if (key == keys_.end())
        return;
    const auto handler = handlers_.find(key->second.window);
    if (handler == handlers_.end())
        return;
    // The handler may change the hot keys and handlers, so it runs on copies.
    const Handler run = handler->second;
    const int id = key->second.id;
    run(id);
}

} // namespace kdx::platform::posix

#include "PortalHotKeys.moc"
