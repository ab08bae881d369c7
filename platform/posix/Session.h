#pragma once
class QString;
class QVariant;

namespace kdx::platform::posix {

// A Wayland session: X key grabs and the X stacking order reach only the programs that run
// through XWayland there, never the desktop as a whole.
bool IsWaylandSession();

// Whether the running Qt application shows its windows on the user's desktop; the offscreen
// platform of the tests does not, and must not find the user's own desktop services.
bool ApplicationOnDesktop();

// A property of a service on the desktop's session bus; an invalid value when the application
// is not on the desktop, or the service does not answer within TimeoutMs.
QVariant SessionBusProperty(
    const QString& service, const QString& path, const QString& interface, const QString& name, int timeoutMs);

} // namespace kdx::platform::posix
