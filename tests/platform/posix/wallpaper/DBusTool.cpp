// The tests' own end of the session bus:
//   wallpaper_dbus_tool record LOG SERVICE PATH [refuse | answer=TEXT | respond=N]
//     owns SERVICE and answers every call to PATH, writing "interface.member|arg|arg..." to LOG,
//     one line a call (a dictionary as sorted "key=value" items): a portal request's handle
//     for SetWallpaperURI, TEXT (an empty one unless told) otherwise, or with "refuse" an error.
//     With "respond=N" the portal request then answers, as the portal does, with its Response
//     signal: N is 0 for done, 1 cancelled, 2 refused.
//   wallpaper_dbus_tool gnome-screenshot FILE
//     has gnome-shell save a screenshot, as the screenshot tool that gnome-shell lets in.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

QString Text(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        const QVariantMap map = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
        QStringList items;
        for (auto it = map.begin(); it != map.end(); ++it)
            items << it.key() + "=" + it.value().toString();
        return items.join(',');
    }
    return value.toString();
}

class Recorder final : public QDBusVirtualObject {
public:
    Recorder(QString log, bool refuse, QString answer, int respond)
        : log_(std::move(log)), refuse_(refuse), answer_(std::move(answer)), respond_(respond)
    {
    }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        QStringList line {call.interface() + "." + call.member()};
        for (const QVariant& argument : call.arguments())
            line << Text(argument);
        QFile file(log_);
        if (file.open(QIODevice::Append | QIODevice::Text))
            QTextStream(&file) << line.join('|').replace('\n', "\\n") << '\n';
        if (refuse_)
            return bus.send(call.createErrorReply("org.freedesktop.DBus.Error.Failed", "refused by the recorder"));
        if (call.member() == QLatin1String("SetWallpaperURI")) {
            // The request's path, made as the portal makes it from the caller and its token.
            const QVariant options = call.arguments().value(call.arguments().size() - 1);
            const QString token
                = qdbus_cast<QVariantMap>(options.value<QDBusArgument>()).value("handle_token").toString();
            QString sender = call.service().mid(1);
            sender.replace('.', '_');
            const QString request = "/org/freedesktop/portal/desktop/request/" + sender + "/"
                + (token.isEmpty() ? QStringLiteral("kdx") : token);
            const bool sent = bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            if (respond_ >= 0) {
                QDBusMessage response
                    = QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
                response << uint(respond_) << QVariantMap();
                QDBusConnection(bus).send(response);
            }
            return sent;
        }
        return bus.send(call.createReply(answer_));
    }

private:
    QString log_;
    bool refuse_;
    QString answer_;
    int respond_;
};

int Record(const QStringList& args)
{
    const QString option = args.value(3);
    static Recorder recorder(args.at(0), option == QLatin1String("refuse"),
        option.startsWith(QLatin1String("answer=")) ? option.mid(7) : QString(),
        option.startsWith(QLatin1String("respond=")) ? option.mid(8).toInt() : -1);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(args.at(2), &recorder) || !bus.registerService(args.at(1))) {
        std::fprintf(stderr, "cannot own %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return QCoreApplication::exec();
}

int GnomeScreenshot(const QString& file)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // gnome-shell answers only the callers it knows, the screenshot tool among them.
    if (!bus.registerService("org.gnome.Screenshot"))
        return 1;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot", "Screenshot");
    call << false << false << file;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 20000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().value(0).toBool() != true) {
        std::fprintf(stderr, "%s\n", qPrintable(reply.errorMessage()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 4 && args.at(0) == QLatin1String("record"))
        return Record(args.mid(1));
    if (args.size() == 2 && args.at(0) == QLatin1String("gnome-screenshot"))
        return GnomeScreenshot(args.at(1));
    std::fprintf(stderr,
        "usage: wallpaper_dbus_tool record LOG SERVICE PATH [refuse | answer=TEXT | respond=N] | gnome-screenshot "
        "FILE\n");
    return 2;
}
