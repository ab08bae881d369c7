#pragma once
#include "platform/Shell.h"

namespace kdx::platform::win32 {

// The Windows shell: launches, the Properties sheet, display names and string resources.
class Win32Shell final : public IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override;
    void ShowProperties(const std::string& path) override;
    std::string DisplayName(const std::string& path) override;
    std::string ResourceString(const std::string& path, unsigned id) override;
};

class Win32Desktop final : public IDesktop {
public:
    WallpaperOutcome ApplyWallpaperSettings() override;
};

} // namespace kdx::platform::win32
