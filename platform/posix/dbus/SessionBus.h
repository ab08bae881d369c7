#pragma once
#include <QDBusMessage>

#include <string>

class QString;
class QVariant;

namespace kdx::platform::posix {

// Every blocking call of the backend on the desktop's session bus goes through here.

// Sends a method call on the session bus and waits for its answer, at most TimeoutMs, without
// running the event loop: the reply, or an error message (one of its own when there is no bus).
QDBusMessage CallOnSessionBus(const QDBusMessage& call, int timeoutMs = 5000);

// Why a call did not succeed, in the bus's words: empty for a reply.
std::string CallError(const QDBusMessage& reply);

// A property of a service on the desktop's session bus; an invalid value when the application
// is not on the desktop, or the service does not answer within TimeoutMs.
QVariant SessionBusProperty(
    const QString& service, const QString& path, const QString& interface, const QString& name, int timeoutMs);

// Whether some program owns Name on the session bus.
bool SessionBusHasOwner(const QString& name);

// A desktop portal's answer to a request: its Response code (0 done, 1 cancelled by the user,
// 2 refused) or, when none came, why.
struct PortalAnswer {
    int response = -1; // -1: no answer
    std::string error;
};

// Calls a desktop portal method whose outcome comes later, in the Response signal of the request
// it returns: Call's last argument is its options map, which gets a "handle_token" so that the
// signal is listened to before the call and cannot be missed. Waits at most TimeoutMs for the
// Response, running the event loop meanwhile without the user's input, so that the windows are
// drawn while the desktop answers and no command of the user's starts inside the wait.
PortalAnswer CallPortalRequest(QDBusMessage call, int timeoutMs);

} // namespace kdx::platform::posix
