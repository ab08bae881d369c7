#include "PosixScreenSaverTimer.h"

#include "platform/posix/dbus/SessionBus.h"
#include "platform/posix/process/CompanionLock.h"

#include <QString>

namespace kdx::platform::posix {

bool PosixScreenSaverTimer::Watch(Handler handler) { return x11_.Watch(std::move(handler)); }

bool PosixScreenSaverTimer::DesktopSaverPresent()
{
    return x11_.XScreensaverRunning() || SessionBusHasOwner(QStringLiteral("org.freedesktop.ScreenSaver"));
}

bool PosixScreenSaverTimer::CompanionRunning() { return CompanionLock::Held(); }

} // namespace kdx::platform::posix
