#pragma once
#include "platform/System.h"

namespace kdx::platform::win32 {

class Win32System final : public ISystem {
public:
    std::string ModuleFileName() override;
    // The program folder itself: the companion screensaver looks for the settings file there,
    // and where Windows keeps a protected folder from a program it redirects the writes itself.
    std::string InstallFolderFor(const std::string& programFolder) override;
    std::string WindowsDirectory() override;
    // Empty: the help is kdx3.chm beside the program.
    std::string HelpFolderFor(const std::string& programFolder) override;
    CivilTime LocalTime() override;
    CivilTime SystemTime() override;
};

// On Windows the Run value that the settings store writes is the log-on entry: the system
// starts the program from it, so there is nothing more to set up or remove.
class Win32Autostart final : public IAutostart {
public:
    bool Enable(const std::string& programFile) override;
    void Disable() override;
};

} // namespace kdx::platform::win32
