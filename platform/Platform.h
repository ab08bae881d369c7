#pragma once
#include "AgentBus.h"
#include "DesktopWindows.h"
#include "Files.h"
#include "HelpControl.h"
#include "HotKeys.h"
#include "Instance.h"
#include "ProfileFile.h"
#include "Registry.h"
#include "ScreenSaverTimer.h"
#include "Shell.h"
#include "System.h"
#include "TrayHosts.h"

namespace kdx::platform {

// Folder separator of the platform's paths ("\" on Windows).
#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// Every platform service the agent's logic uses, each behind its interface.
struct Services {
    IProfileFile* profile = nullptr;
    IRegistry* registry = nullptr;
    IFiles* files = nullptr;
    ISystem* system = nullptr;
    IRegional* regional = nullptr;
    IAutostart* autostart = nullptr;
    IShell* shell = nullptr;
    IDesktop* desktop = nullptr;
    IInstance* instance = nullptr;
    IHelpControl* helpControl = nullptr;
    IAtoms* atoms = nullptr;
    IHotKeys* hotKeys = nullptr;
    IDesktopWindows* desktopWindows = nullptr;
    // None: the icon always has its tray (the Windows notification area), opened by a double-click.
    ITrayHosts* trayHosts = nullptr;
    IScreenSaverTimer* screenSaverTimer = nullptr; // absent where the system starts the screensaver
    IAgentBus* agentBus = nullptr; // absent where the system has no session bus (Windows)
};

// The services of the backend chosen at build time, unless a test has put others in place.
Services& Current();

// The build's own backend.
Services& Native();

// Puts other services in place for its lifetime (tests), then restores the previous ones.
class ScopedServices {
public:
    explicit ScopedServices(const Services& replacement) : saved_(Current()) { Current() = replacement; }
    ~ScopedServices() { Current() = saved_; }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services saved_;
};

} // namespace kdx::platform
