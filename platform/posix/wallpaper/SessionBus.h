#pragma once
#include <QDBusMessage>

#include <string>

namespace kdx::platform::posix {

// Sends a method call on the session bus and waits for its answer (five seconds at most,
// without running the event loop): empty when the call succeeded, otherwise the bus's error.
std::string CallOnSessionBus(const QDBusMessage& call);

} // namespace kdx::platform::posix
