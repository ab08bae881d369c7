#pragma once
#include "Records.h"
#include "TIniFile.h"

#include <memory>
#include <string>

namespace kdx {

// The settings store: the only code that reads or writes KDX.ini. It caches nothing, so
// several stores on the same file each see the others' writes at their next read.
class TConfig {
public:
    // Finds the install folder (repairing a missing "InstalledPath") and binds IniFile to
    // the settings file in it. Reads nothing from that file.
    TConfig();

    std::string InstalledPath;
    std::unique_ptr<TIniFile> IniFile;

    void LoadSavers(TSavers& r);
    void LoadFlashs(TFlashs& r);
    void LoadImages(TImages& r);
    void LoadWallpaper(TWallpaper& r);
    void LoadMisc(TMisc& r);

    void SaveSavers(const TSavers& r);
    void SaveFlashs(const TFlashs& r);
    void SaveImages(const TImages& r);
    void SaveWallpaper(const TWallpaper& r);
    // Also sets or removes the Run-at-log-on entry.
    void SaveMisc(const TMisc& r);

    void ReadList(const std::string& section, TStrings& list);
    void WriteList(const std::string& section, const TStrings& list);
    bool ReadFlag(const std::string& section, const std::string& key);
    void WriteFlag(const std::string& section, const std::string& key, bool value);
    void WriteStamp(const std::string& section, const std::string& key, TDateTime value);
    bool IsAutoSave();
    // True points the system screensaver at the companion screensaver; false clears it.
    void SetSystemSaver(bool install);
    // Flushes and drops the accessor; the store is not used afterwards.
    void ReleaseFile();

    // Whether a list entry (a file or folder name) can be stored: a line break would end its
    // line in the settings file, so the write that holds it is refused.
    static bool CanStore(const std::string& entry) { return entry.find_first_of("\r\n") == std::string::npos; }

private:
    TIniFile& Ini();
    TStrings LoadList(const std::string& section);
    void SetRunAtLogon(bool on);
};

// The registry names the store uses.
namespace reg {
inline constexpr const char* ProductKey = "Software\\Tembrix Software\\Kaleidra Deluxe V3.00";
inline constexpr const char* InstalledPathValue = "InstalledPath";
inline constexpr const char* RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* RunValue = "Kaleidra";
inline constexpr const char* DesktopKey = "Control Panel\\Desktop";
inline constexpr const char* ScreenSaverValue = "SCRNSAVE.EXE";
} // namespace reg

// Fixed names of the product's files.
namespace files {
inline constexpr const char* SettingsFile = "KDX.ini";
inline constexpr const char* AgentProgram = "KDX3.exe";
inline constexpr const char* CompanionSaver = "KDXSaver.SCR";
} // namespace files

// The folder part of a program file name: cut after the last separator, which is kept only at
// the root ("C:\" on Windows, "/" here).
std::string ProgramFolder(const std::string& programFile);

} // namespace kdx
