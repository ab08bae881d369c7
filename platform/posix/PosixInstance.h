#pragma once
#include "platform/Instance.h"

#include <map>
#include <memory>

class QSocketNotifier;

namespace kdx::platform::posix {

// The rendezvous is a local socket. Its file lives in $XDG_RUNTIME_DIR, which is private to the
// user, or else in the temporary folder with the user's id in its name, so that two users'
// agents never meet; its name carries the session's display, so that the agents of two
// graphical sessions of one user never meet either (Windows looks only on its own desktop). Each hand-over is one
// connection carrying the message and its two parameters as three 32-bit little-endian numbers; the
// agent answers a message it takes on the same connection (its answer's length as a 32-bit
// little-endian number, then the answer) and ends it, also where it takes none. Plain sockets watched
// by the event loop, so the agent does not load a network library to start.
class PosixInstance final : public IInstance {
public:
    PosixInstance();
    ~PosixInstance() override;

    bool PostToRunning(const std::string& name, unsigned message) override;
    HandOver SendToRunning(const std::string& name, unsigned message, std::string& answer, int timeoutMs) override;
    bool Listen(const std::string& name, Receiver receiver) override;
    void StopListening() override;

    static std::string RendezvousPath(const std::string& name);
    // The graphical session's display as part of a file name: $WAYLAND_DISPLAY, else $DISPLAY
    // without its screen number; empty without a display.
    static std::string SessionDisplay();

private:
    // A connection that has not yet sent its whole message.
    struct Peer {
        std::unique_ptr<QSocketNotifier> notifier;
        std::string bytes;
    };

    bool ListenAt(const std::string& path);
    void AcceptConnections();
    void ReadFrom(int fd);
    void DropPeer(int fd);

    int server_ = -1;
    std::string path_;
    std::unique_ptr<QSocketNotifier> serverNotifier_;
    std::map<int, Peer> peers_;
    Receiver receiver_;
};

} // namespace kdx::platform::posix
