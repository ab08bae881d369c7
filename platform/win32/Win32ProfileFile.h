#pragma once
#include "platform/ProfileFile.h"

namespace kdx::platform::win32 {

// The Windows profile functions, one call per operation. Values holding a line break are
// refused, as on Linux: the profile functions would write them raw and so forge lines.
class Win32ProfileFile final : public IProfileFile {
public:
    std::string GetString(const std::string& file, const std::string& section, const std::string& key,
        const std::string& fallback) override;
    std::string GetSection(const std::string& file, const std::string& section) override;
    bool WriteString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& value) override;
    bool EraseSection(const std::string& file, const std::string& section) override;
    bool ReplaceSection(const std::string& file, const std::string& section,
        const std::vector<std::pair<std::string, std::string>>& entries) override;
    // WritePrivateProfileStringA with everything null but the file: writes the cached copy
    // out and drops it.
    void Flush(const std::string& file) override;
};

} // namespace kdx::platform::win32
