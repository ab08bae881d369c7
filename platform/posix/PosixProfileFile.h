#pragma once
#include "platform/ProfileFile.h"

namespace kdx::platform::posix {

// Profile files read and edited by our own code. Nothing is cached: every call reads the
// file, and every change replaces the whole file at once.
class PosixProfileFile final : public IProfileFile {
public:
    std::string GetString(const std::string& file, const std::string& section, const std::string& key,
        const std::string& fallback) override;
    bool WriteString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& value) override;
    bool EraseSection(const std::string& file, const std::string& section) override;
    bool ReplaceSection(const std::string& file, const std::string& section,
        const std::vector<std::pair<std::string, std::string>>& entries) override;
    void Flush(const std::string& file) override;
    std::string ReadProblem(const std::string& file) override;
};

// A value as GetPrivateProfileString hands it out: one pair of enclosing quotes (" or ')
// removed, then cut to the 2047 characters that a 2048-character buffer holds.
std::string ProfileReadValue(std::string raw);

} // namespace kdx::platform::posix
