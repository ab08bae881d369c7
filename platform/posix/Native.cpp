#include "PosixAtoms.h"
#include "PosixDesktopWindows.h"
#include "PosixHelpControl.h"
#include "PosixHotKeys.h"
#include "PosixInstance.h"
#include "PosixProfileFile.h"
#include "PosixRegistry.h"
#include "PosixScreenSaverTimer.h"
#include "PosixShell.h"
#include "PosixSystem.h"
#include "PosixTrayHosts.h"
#include "platform/Platform.h"
#include "platform/posix/dbus/AgentBus.h"
#include "platform/posix/wallpaper/PosixDesktop.h"

namespace kdx::platform {

Services& Native()
{
    static posix::PosixProfileFile profile;
    static posix::PosixRegistry registry;
    static posix::PosixFiles files;
    static posix::PosixSystem system;
    static posix::PosixRegional regional;
    static posix::PosixAutostart autostart;
    static Services services {&profile, &registry, &files, &system, &regional, &autostart};
    // Named rather than placed, so the list above can grow without reordering.
    static posix::PosixInstance instance;
    static posix::PosixHelpControl helpControl;
    static posix::PosixShell shell;
    static posix::PosixDesktop desktop;
    services.shell = &shell;
    services.desktop = &desktop;
    services.instance = &instance;
    services.helpControl = &helpControl;
    static posix::PosixAtoms atoms;
    static posix::PosixHotKeys hotKeys;
    static posix::PosixDesktopWindows desktopWindows;
    services.atoms = &atoms;
    services.hotKeys = &hotKeys;
    services.desktopWindows = &desktopWindows;
    static posix::PosixTrayHosts trayHosts;
    services.trayHosts = &trayHosts;
    static posix::PosixScreenSaverTimer screenSaverTimer;
    services.screenSaverTimer = &screenSaverTimer;
    static posix::AgentBus agentBus;
    services.agentBus = &agentBus;
    return services;
}

} // namespace kdx::platform
