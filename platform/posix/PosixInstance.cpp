#include "PosixInstance.h"

#include "FileText.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <array>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

constexpr int WaitMs = 1000;
constexpr qint64 PacketSize = 3 * sizeof(quint32);

using Packet = std::array<char, PacketSize>;

Packet Encode(unsigned message)
{
    Packet packet {};
    qToLittleEndian<quint32>(message, packet.data()); // wParam and lParam stay 0
    return packet;
}

bool IsPrivateFolder(const std::string& path)
{
    struct stat st { };
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

// True when a live process answers at Path.
bool Answers(const QString& path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool live = probe.waitForConnected(WaitMs);
    probe.abort();
    return live;
}

} // namespace

PosixInstance::PosixInstance() = default;
PosixInstance::~PosixInstance() = default;

std::string PosixInstance::RendezvousPath(const std::string& name)
{
    const std::string runtime = EnvOr("XDG_RUNTIME_DIR", "");
    if (IsPrivateFolder(runtime))
        return runtime + "/" + name;
    return EnvOr("TMPDIR", "/tmp") + "/" + name + "-" + std::to_string(getuid());
}

bool PosixInstance::PostToRunning(const std::string& name, unsigned message)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(RendezvousPath(name)));
    if (!socket.waitForConnected(WaitMs))
        return false;
    const Packet packet = Encode(message);
    socket.write(packet.data(), PacketSize);
    socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return true;
}

bool PosixInstance::Listen(const std::string& name, Receiver receiver)
{
    StopListening();
    receiver_ = std::move(receiver);
    const std::string path = RendezvousPath(name);
    if (ListenAt(path))
        return true;
    // A socket file that nobody answers was left by an agent that was killed: take it over.
    if (server_->serverError() != QAbstractSocket::AddressInUseError || Answers(QString::fromStdString(path))) {
        StopListening();
        return false;
    }
    QLocalServer::removeServer(QString::fromStdString(path));
    if (ListenAt(path))
        return true;
    StopListening();
    return false;
}

bool PosixInstance::ListenAt(const std::string& path)
{
    server_ = std::make_unique<QLocalServer>();
    QObject::connect(server_.get(), &QLocalServer::newConnection, [this] { AcceptConnections(); });
    // Qt's access options would bind elsewhere and rename over the path, taking the name from a
    // live agent; so the socket is bound in place, where a live one makes the bind fail, and then
    // made the user's own.
    if (!server_->listen(QString::fromStdString(path)))
        return false;
    chmod(path.c_str(), S_IRUSR | S_IWUSR);
    return true;
}

void PosixInstance::StopListening()
{
    if (server_)
        server_->close(); // also removes the socket file
    server_.reset();
}

void PosixInstance::AcceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { ReadMessage(socket); });
        ReadMessage(socket);
    }
}

void PosixInstance::ReadMessage(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < PacketSize)
        return;
    Packet packet {};
    socket->read(packet.data(), PacketSize);
    // One message per connection: whatever else the peer sends is not ours to read.
    socket->abort();
    if (receiver_)
        receiver_(qFromLittleEndian<quint32>(packet.data()));
}

} // namespace kdx::platform::posix
