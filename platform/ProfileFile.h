#pragma once
#include <string>
#include <utility>
#include <vector>

namespace kdx::platform {

// Windows profile (INI) file access, one key per call, as GetPrivateProfileStringA and
// WritePrivateProfileStringA offer it. Names match without regard to case; the platform
// keeps no state the caller can see between calls.
class IProfileFile {
public:
    virtual ~IProfileFile() = default;

    // The key's value with blanks trimmed and one pair of enclosing quotes removed, cut to
    // 2047 characters; Default when the file, section or key is absent.
    virtual std::string GetString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
        = 0;

    // Replaces the key in place, or adds it at the end of its section, or adds the section at
    // the end of the file. False when the file cannot be written.
    virtual bool WriteString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& value)
        = 0;

    // Removes the section's header and every line under it. False when the file cannot be
    // written; an absent section is no failure.
    virtual bool EraseSection(const std::string& file, const std::string& section) = 0;

    // WritePrivateProfileSectionA: the section's lines become Entries ("key=value" each) in one
    // write, so no reader ever sees the section half written; an absent section is added at
    // the end of the file. False when the file cannot be written.
    virtual bool ReplaceSection(const std::string& file, const std::string& section,
        const std::vector<std::pair<std::string, std::string>>& entries)
        = 0;

    // Makes what was written lasting and drops any cached copy of the file.
    virtual void Flush(const std::string& file) = 0;

    // Why a file that is there cannot be read (a folder, a named pipe, no permission), in words;
    // empty when it reads, or is missing. Reads give their defaults then, so the caller says so.
    virtual std::string ReadProblem(const std::string& /*file*/) { return std::string(); }
};

} // namespace kdx::platform
