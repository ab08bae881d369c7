#pragma once
#include <string>

namespace kdx::platform {

// A wall-clock reading split into its fields, as SYSTEMTIME holds it.
struct CivilTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Facts about the running program and the machine.
class ISystem {
public:
    virtual ~ISystem() = default;
    // Full name of the running program file (GetModuleFileNameA).
    virtual std::string ModuleFileName() = 0;
    // The folder that holds the settings file for a program kept in ProgramFolder: that
    // folder itself where the user may write there, otherwise a per-user folder.
    virtual std::string InstallFolderFor(const std::string& programFolder) = 0;
    // GetWindowsDirectoryA: empty on failure.
    virtual std::string WindowsDirectory() = 0;
    // The folder of the help's HTML pages for a program kept in ProgramFolder, where the help
    // is installed as pages; empty where it is one compiled help file beside the program.
    virtual std::string HelpFolderFor(const std::string& programFolder) = 0;
    virtual CivilTime LocalTime() = 0; // GetLocalTime
    virtual CivilTime SystemTime() = 0; // GetSystemTime, coordinated universal time
};

// The user's date and time notation (on Windows the regional short date and long time).
class IRegional {
public:
    virtual ~IRegional() = default;
    virtual std::string FormatDate(const CivilTime& t) = 0;
    virtual std::string FormatTime(const CivilTime& t) = 0;
    // Reads a date optionally followed by a blank and a time; false when it does not parse.
    virtual bool ParseDateTime(const std::string& text, CivilTime& out) = 0;
};

// Starting the program when the user logs on, beyond the Run value in the registry.
class IAutostart {
public:
    virtual ~IAutostart() = default;
    virtual bool Enable(const std::string& programFile) = 0;
    virtual void Disable() = 0;
};

} // namespace kdx::platform
