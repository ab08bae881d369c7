#pragma once
#include "platform/Files.h"
#include "platform/System.h"

namespace kdx::platform::posix {

class PosixSystem final : public ISystem {
public:
    // $KALEIDRA_PROGRAM_FILE names the program file in a test sandbox; otherwise /proc/self/exe.
    std::string ModuleFileName() override;
    std::string InstallFolderFor(const std::string& programFolder) override;
    std::string WindowsDirectory() override;
    // "help" beside the program (a build tree), else share/kaleidra-agent/help of the prefix
    // the program is installed in; that installed folder when neither holds the pages.
    std::string HelpFolderFor(const std::string& programFolder) override;
    CivilTime LocalTime() override;
    CivilTime SystemTime() override;
};

// Dates as 2026-12-08 and times as 14:05:09: unambiguous, and the same on every machine.
class PosixRegional final : public IRegional {
public:
    std::string FormatDate(const CivilTime& t) override;
    std::string FormatTime(const CivilTime& t) override;
    bool ParseDateTime(const std::string& text, CivilTime& out) override;
};

// An XDG autostart entry, $XDG_CONFIG_HOME/autostart/kaleidra-agent.desktop.
class PosixAutostart final : public IAutostart {
public:
    bool Enable(const std::string& programFile) override;
    void Disable() override;
    static std::string EntryFile();
};

// Folder enumeration reports Windows attributes: a plain folder is exactly "directory"; a
// symbolic link carries "reparse point" (and "directory" when it leads to one); a name
// beginning with "." is hidden; a missing owner-write bit is "read-only". Masks match without
// regard to letter case, "*" any run of characters and "?" any one.
class PosixFiles final : public IFiles {
public:
    bool FileExists(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override;
    // One read of the folder; an entry's type comes from the directory entry, so only
    // folders (for their write bit) and entries of unknown type cost a status call.
    FolderScan ScanFolder(const std::string& folder, const std::string& mask, bool withSubFolders) override;
    bool DeleteFile(const std::string& path) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    // Read in place (BmpImage): every uncompressed kind of Windows bitmap.
    std::unique_ptr<IBitmapPixels> OpenBitmap(const std::string& path) override;
};

// Windows wildcard matching of a name against a mask, ignoring ASCII case; "*.*" matches
// every name, with or without a dot.
bool MatchesMask(const std::string& name, const std::string& mask);

// Whether the entry Name of the open folder Folder, of directory-entry type Type (DT_DIR,
// DT_UNKNOWN, ...), is a sub-folder a search enters; asks the file system only where the
// type cannot answer alone.
bool IsSubFolderEntry(int folder, const char* name, unsigned char type);

} // namespace kdx::platform::posix
