#include "PosixInstance.h"

#include "platform/posix/files/FileText.h"
#include "platform/posix/files/Paths.h"
#include "platform/posix/session/DesktopSession.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

constexpr int WaitMs = 1000;
constexpr size_t PacketSize = 3 * 4;
constexpr int Backlog = 16;
// An answer is its length as a 32-bit little-endian number, then its bytes.
constexpr size_t LengthSize = 4;
constexpr std::uint32_t MaxAnswer = 1 << 20;

std::string Encode(unsigned message)
{
    std::string packet(PacketSize, '\0'); // wParam and lParam stay 0
    for (size_t i = 0; i < 4; ++i)
        packet[i] = char((message >> (8 * i)) & 0xFF);
    return packet;
}

unsigned Decode(const std::string& packet)
{
    unsigned message = 0;
    for (size_t i = 0; i < 4; ++i)
        message |= unsigned(static_cast<unsigned char>(packet[i])) << (8 * i);
    return message;
}

std::string EncodeAnswer(const std::string& answer)
{
    const std::string text = answer.substr(0, MaxAnswer);
    std::string bytes(LengthSize, '\0');
    for (size_t i = 0; i < LengthSize; ++i)
        bytes[i] = char((text.size() >> (8 * i)) & 0xFF);
    return bytes + text;
}

// Receives until Bytes holds Size bytes, the peer ends, or the deadline passes; false unless whole.
bool ReceiveUntil(int fd, std::string& bytes, size_t size, std::chrono::steady_clock::time_point deadline)
{
    char buffer[4096];
    while (bytes.size() < size) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd watch {fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, int(left.count())) <= 0)
            return false;
        const ssize_t got = recv(fd, buffer, std::min(sizeof buffer, size - bytes.size()), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes.append(buffer, size_t(got));
    }
    return true;
}

bool IsPrivateFolder(const std::string& path)
{
    struct stat st { };
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

// False when the path does not fit a socket address, rather than binding a cut one.
bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return true;
}

// A connected socket to the live process at Path, or -1. A process that is alive but too busy to
// take the connection within the wait counts as absent.
int ConnectTo(const std::string& path)
{
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const timeval wait {WaitMs / 1000, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// True when a live process answers at Path.
bool Answers(const std::string& path)
{
    const int fd = ConnectTo(path);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

} // namespace

PosixInstance::PosixInstance() = default;

PosixInstance::~PosixInstance() { StopListening(); }

std::string PosixInstance::RendezvousPath(const std::string& name)
{
    const std::string display = SessionDisplay();
    const std::string session = display.empty() ? name : name + "-" + display;
    const std::string runtime = EnvOr("XDG_RUNTIME_DIR", "");
    if (IsPrivateFolder(runtime))
        return runtime + "/" + session;
    return EnvOr("TMPDIR", "/tmp") + "/" + session + "-" + std::to_string(getuid());
}

std::string PosixInstance::SessionDisplay() { return SessionDisplayName(); }

bool PosixInstance::PostToRunning(const std::string& name, unsigned message)
{
    const int fd = ConnectTo(RendezvousPath(name));
    if (fd < 0)
        return false;
    const std::string packet = Encode(message);
    // The agent was found; like a posted message, whether it took the message is not known.
    [[maybe_unused]] const ssize_t sent = send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    close(fd);
    return true;
}

HandOver PosixInstance::SendToRunning(const std::string& name, unsigned message, std::string& answer, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = ConnectTo(RendezvousPath(name));
    if (fd < 0)
        return HandOver::NoAgent;
    const std::string packet = Encode(message);
    std::string length;
    std::string text;
    // An agent that does not know the message ends the connection without an answer.
    const bool answered = send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) == ssize_t(packet.size())
        && ReceiveUntil(fd, length, LengthSize, deadline)
        && ReceiveUntil(fd, text, std::min<size_t>(Decode(length), MaxAnswer), deadline);
    close(fd);
    if (!answered)
        return HandOver::NotTaken;
    answer = text;
    return HandOver::Taken;
}

bool PosixInstance::Listen(const std::string& name, Receiver receiver)
{
    StopListening();
    receiver_ = std::move(receiver);
    const std::string path = RendezvousPath(name);
    if (ListenAt(path))
        return true;
    // A socket file that nobody answers was left by an agent that was killed: take it over.
    if (errno != EADDRINUSE || Answers(path))
        return false;
    unlink(path.c_str());
    return ListenAt(path);
}

bool PosixInstance::ListenAt(const std::string& path)
{
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // Bound in place, where a live agent's socket makes the bind fail, and then made the user's
    // own, so the name is never taken from a live agent.
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
    }
    chmod(path.c_str(), S_IRUSR | S_IWUSR);
    if (listen(fd, Backlog) != 0) {
        close(fd);
        unlink(path.c_str());
        return false;
    }
    server_ = fd;
    path_ = path;
    serverNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(serverNotifier_.get(), &QSocketNotifier::activated, [this] { AcceptConnections(); });
    return true;
}

void PosixInstance::StopListening()
{
    while (!peers_.empty())
        DropPeer(peers_.begin()->first);
    if (server_ < 0)
        return;
    serverNotifier_.reset();
    close(server_);
    unlink(path_.c_str());
    server_ = -1;
    path_.clear();
}

void PosixInstance::AcceptConnections()
{
    int fd;
    while ((fd = accept4(server_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        Peer& peer = peers_[fd];
        peer.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(peer.notifier.get(), &QSocketNotifier::activated, [this, fd] { ReadFrom(fd); });
    }
}

void PosixInstance::ReadFrom(int fd)
{
    const auto found = peers_.find(fd);
    if (found == peers_.end())
        return;
    std::string& bytes = found->second.bytes;
    char buffer[PacketSize];
    const ssize_t got = recv(fd, buffer, PacketSize - bytes.size(), 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) { // the peer left before its message was whole
        DropPeer(fd);
        return;
    }
    bytes.append(buffer, size_t(got));
    if (bytes.size() < PacketSize)
        return;
    // One message per connection: whatever else the peer sends is not ours to read.
    const unsigned message = Decode(bytes);
    const std::optional<std::string> answer = receiver_ ? receiver_(message) : std::nullopt;
    // Answered on the same connection; a peer that only posts has gone already, which is no
    // fault. The answer is small, so the socket takes it at once.
    if (answer && peers_.count(fd)) {
        const std::string reply = EncodeAnswer(*answer);
        [[maybe_unused]] const ssize_t sent = send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    DropPeer(fd);
}

void PosixInstance::DropPeer(int fd)
{
    const auto found = peers_.find(fd);
    if (found == peers_.end())
        return;
    // The notifier may be the one whose signal is being delivered, so it goes from the event loop.
    QSocketNotifier* notifier = found->second.notifier.release();
    notifier->setEnabled(false);
    notifier->deleteLater();
    peers_.erase(found);
    close(fd);
}

} // namespace kdx::platform::posix
