#include "KdeHotKeys.h"

#include "SessionBus.h"
#include "platform/posix/session/DesktopSession.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QList>
#include <QStringList>

#include <functional>

namespace kdx::platform::posix {

namespace {

const QString Service = QStringLiteral("org.kde.kglobalaccel");
const QString ServicePath = QStringLiteral("/kglobalaccel");
const QString ServiceInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString ComponentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
const char* const Component = "kaleidra-agent";
const char* const ComponentTitle = "Kaleidra Agent";
constexpr int CallTimeoutMs = 3000;

// The service's flags: make the action live, and take the keys given rather than stored ones.
constexpr uint SetPresent = 2;
constexpr uint NoAutoloading = 4;

// The keys whose Windows codes do not run in step with Qt's.
constexpr std::pair<unsigned, int> SingleKeys[] = {
    {0x08, Qt::Key_Backspace},
    {0x09, Qt::Key_Tab},
    {0x0C, Qt::Key_Clear},
    {0x0D, Qt::Key_Return},
    {0x13, Qt::Key_Pause},
    {0x14, Qt::Key_CapsLock},
    {0x1B, Qt::Key_Escape},
    {0x20, Qt::Key_Space},
    {0x21, Qt::Key_PageUp},
    {0x22, Qt::Key_PageDown},
    {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},
    {0x25, Qt::Key_Left},
    {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},
    {0x29, Qt::Key_Select},
    {0x2A, Qt::Key_Print},
    {0x2B, Qt::Key_Execute},
    {0x2C, Qt::Key_Print},
    {0x2D, Qt::Key_Insert},
    {0x2E, Qt::Key_Delete},
    {0x2F, Qt::Key_Help},
    {0x5B, Qt::Key_Super_L},
    {0x5C, Qt::Key_Super_R},
    {0x5D, Qt::Key_Menu},
    {0x6A, Qt::KeypadModifier | Qt::Key_Asterisk},
    {0x6B, Qt::KeypadModifier | Qt::Key_Plus},
    {0x6C, Qt::KeypadModifier | Qt::Key_Comma},
    {0x6D, Qt::KeypadModifier | Qt::Key_Minus},
    {0x6E, Qt::KeypadModifier | Qt::Key_Period},
    {0x6F, Qt::KeypadModifier | Qt::Key_Slash},
    {0x90, Qt::Key_NumLock},
    {0x91, Qt::Key_ScrollLock},
    {0xBA, Qt::Key_Semicolon},
    {0xBB, Qt::Key_Equal},
    {0xBC, Qt::Key_Comma},
    {0xBD, Qt::Key_Minus},
    {0xBE, Qt::Key_Period},
    {0xBF, Qt::Key_Slash},
    {0xC0, Qt::Key_QuoteLeft},
    {0xDB, Qt::Key_BracketLeft},
    {0xDC, Qt::Key_Backslash},
    {0xDD, Qt::Key_BracketRight},
    {0xDE, Qt::Key_Apostrophe},
};

int QtKeyOf(unsigned vk)
{
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return int(vk); // Qt's codes of digits and capitals are their characters
    if (vk >= 0x60 && vk <= 0x69)
        return Qt::KeypadModifier | (Qt::Key_0 + int(vk - 0x60));
    if (vk >= 0x70 && vk <= 0x87)
        return Qt::Key_F1 + int(vk - 0x70);
    for (const auto& [code, key] : SingleKeys)
        if (code == vk)
            return key;
    return 0;
}

// The service's name of an action: component, action and the titles the user sees, exactly four
// strings (with another count the service ignores the call).
QStringList ActionId(const HotKeyAction& action)
{
    return {QString::fromLatin1(Component), QString::fromStdString(action.verb), QString::fromLatin1(ComponentTitle),
        QString::fromStdString(action.title)};
}

QDBusMessage CallService(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ServicePath, ServiceInterface, method);
    call.setArguments(arguments);
    // Never started by a call: a service nobody runs would grab keys for nothing.
    call.setAutoStartService(false);
    return CallOnSessionBus(call, CallTimeoutMs);
}

// Binds the action to Code; false when the service refuses it (another program's action holds
// the key: the service answers with no key) or does not answer.
bool Bind(const KdeHotKeys::Key& key)
{
    const QStringList id = ActionId(key.action);
    CallService(QStringLiteral("doRegister"), {id});
    // The key as a list of plain integers ("ai"): a key sequence of fewer than four integers
    // sent where the service takes one makes kglobalaccel5 5.103 crash.
    const QDBusMessage reply = CallService(QStringLiteral("setShortcut"),
        {id, QVariant::fromValue(QList<int> {key.code}), uint(SetPresent | NoAutoloading)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qdbus_cast<QList<int>>(reply.arguments().first()) == QList<int> {key.code};
}

} // namespace

// Receives the service's press signals, and notices its restart.
class KdeShortcutListener : public QObject {
    Q_OBJECT
public:
    KdeShortcutListener(std::function<void(const std::string&)> pressed, std::function<void()> back)
        : pressed_(std::move(pressed)),
          back_(std::move(back)),
          watcher_(Service, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration)
    {
        // Any path: the component's object is made by the service once the first action is
        // registered, under a name the service chooses. The connection follows the service to
        // its new owner after a restart.
        QDBusConnection::sessionBus().connect(Service, QString(), ComponentInterface,
            QStringLiteral("globalShortcutPressed"), this, SLOT(Pressed(QString, QString, qlonglong)));
        connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { back_(); });
    }

public slots:
    void Pressed(const QString& component, const QString& action, qlonglong)
    {
        if (component == QLatin1String(Component))
            pressed_(action.toStdString());
    }

private:
    std::function<void(const std::string&)> pressed_;
    std::function<void()> back_;
    QDBusServiceWatcher watcher_;
};

KdeHotKeys::KdeHotKeys() = default;
KdeHotKeys::~KdeHotKeys() = default;

bool KdeHotKeys::Offered()
{
    return ApplicationOnDesktop() && CurrentSession().Is({"kde"}) && SessionBusHasOwner(Service);
}

int KdeKeyCode(unsigned modifiers, unsigned virtualKey)
{
    const int key = QtKeyOf(virtualKey);
    if (!key)
        return 0;
    int code = key;
    for (const auto& [flag, bit] :
        {std::pair {ModControl, int(Qt::ControlModifier)}, std::pair {ModAlt, int(Qt::AltModifier)},
            std::pair {ModShift, int(Qt::ShiftModifier)}, std::pair {ModWin, int(Qt::MetaModifier)}})
        if (modifiers & flag)
            code |= bit;
    return code;
}

HotKeyAction KdeHotKeys::ActionOf(const Owner& owner) const
{
    const auto found = actions_.find(owner);
    if (found != actions_.end())
        return found->second;
    const std::string name = "key" + std::to_string(owner.second);
    return {name, name};
}

void KdeHotKeys::Listen()
{
    if (listener_)
        return;
    listener_ = std::make_unique<KdeShortcutListener>(
        [this](const std::string& action) { Pressed(action); }, [this] { BindAgain(); });
    // An agent that ends without its close sequence (Exit) leaves no key live for nobody; the
    // listener goes while the bus connection it watches is still there.
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] {
            Deactivate();
            listener_.reset();
        });
}

bool KdeHotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    if (!ApplicationOnDesktop())
        return false;
    const Key key {KdeKeyCode(modifiers, virtualKey), ActionOf({window, id})};
    if (!key.code)
        return false;
    // Like Windows, one key combination belongs to one hot key, ours included.
    for (const auto& [owner, known] : keys_)
        if (known.code == key.code && owner != Owner {window, id})
            return false;
    Listen();
    if (!Bind(key))
        return false;
    keys_[{window, id}] = key;
    return true;
}

bool KdeHotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    const auto found = keys_.find({window, id});
    if (found == keys_.end())
        return false;
    CallService(QStringLiteral("setInactive"), {ActionId(found->second.action)});
    keys_.erase(found);
    return true;
}

void KdeHotKeys::DropHotKey(WindowHandle window, int id)
{
    if (!ApplicationOnDesktop())
        return;
    UnregisterHotKey(window, id);
    const HotKeyAction action = ActionOf({window, id});
    // Also an action stored by an earlier run: the service keeps them.
    CallService(QStringLiteral("unregister"), {QString::fromLatin1(Component), QString::fromStdString(action.verb)});
}

void KdeHotKeys::SetHandler(WindowHandle window, Handler handler)
{
    if (handler)
        handlers_[window] = std::move(handler);
    else
        handlers_.erase(window);
}

void KdeHotKeys::DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action)
{
    actions_[{window, id}] = action;
}

void KdeHotKeys::Pressed(const std::string& action)
{
    for (const auto& [owner, key] : keys_) {
        if (key.action.verb != action)
            continue;
        const auto handler = handlers_.find(owner.first);
        if (handler == handlers_.end())
            return;
        // The handler may change the hot keys and handlers, so it runs on copies.
        const Handler run = handler->second;
        const int id = owner.second;
        run(id);
        return;
    }
}

void KdeHotKeys::BindAgain()
{
    // A service that started anew knows the actions it stored, but keeps them inactive until
    // their program binds them.
    for (const auto& [owner, key] : keys_)
        Bind(key);
}

void KdeHotKeys::Deactivate()
{
    for (const auto& [owner, key] : keys_)
        CallService(QStringLiteral("setInactive"), {ActionId(key.action)});
}

} // namespace kdx::platform::posix

#include "KdeHotKeys.moc"
