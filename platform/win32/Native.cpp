#include "Win32Atoms.h"
#include "Win32DesktopWindows.h"
#include "Win32Files.h"
#include "Win32HelpControl.h"
#include "Win32HotKeys.h"
#include "Win32Instance.h"
#include "Win32ProfileFile.h"
#include "Win32Regional.h"
#include "Win32Registry.h"
#include "Win32Shell.h"
#include "Win32System.h"
#include "platform/Platform.h"

namespace kdx::platform {

Services& Native()
{
    static win32::Win32ProfileFile profile;
    static win32::Win32Registry registry;
    static win32::Win32Files files;
    static win32::Win32System system;
    static win32::Win32Regional regional;
    static win32::Win32Autostart autostart;
    static win32::Win32Shell shell;
    static win32::Win32Desktop desktop;
    static win32::Win32Instance instance;
    static win32::Win32HelpControl helpControl;
    static Services services {&profile, &registry, &files, &system, &regional, &autostart, &shell, &desktop};
    services.instance = &instance;
    services.helpControl = &helpControl;
    static win32::Win32Atoms atoms;
    static win32::Win32HotKeys hotKeys;
    static win32::Win32DesktopWindows desktopWindows;
    services.atoms = &atoms;
    services.hotKeys = &hotKeys;
    services.desktopWindows = &desktopWindows;
    return services;
}

} // namespace kdx::platform
