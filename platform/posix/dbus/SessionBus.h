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

} // namespace kdx::platform::posix
