#pragma once
#include "platform/Files.h"

namespace kdx::platform::win32 {

// Folder enumeration, deletion and copies through the file functions; attributes are the
// system's own.
class Win32Files final : public IFiles {
public:
    bool FileExists(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override;
    // Two enumerations, as the system's mask matching (short names included) is the rule here.
    FolderScan ScanFolder(const std::string& folder, const std::string& mask, bool withSubFolders) override;
    bool DeleteFile(const std::string& path) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    // Loaded by the system (LoadImage), so whatever bitmap Windows shows opens.
    std::unique_ptr<IBitmapPixels> OpenBitmap(const std::string& path) override;
};

} // namespace kdx::platform::win32
