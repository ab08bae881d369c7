#pragma once
#include "platform/Instance.h"

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace kdx::platform::posix {

// The rendezvous is a local socket. Its file lives in $XDG_RUNTIME_DIR, which is private to the
// user, or else in the temporary folder with the user's id in its name, so that two users'
// agents never meet. Each hand-over is one connection carrying the message and its two
// parameters as three 32-bit little-endian numbers.
class PosixInstance final : public IInstance {
public:
    PosixInstance();
    ~PosixInstance() override;

    bool PostToRunning(const std::string& name, unsigned message) override;
    bool Listen(const std::string& name, Receiver receiver) override;
    void StopListening() override;

    static std::string RendezvousPath(const std::string& name);

private:
    bool ListenAt(const std::string& path);
    void AcceptConnections();
    void ReadMessage(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> server_;
    Receiver receiver_;
};

} // namespace kdx::platform::posix
