#pragma once
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kdx::platform {

// One change in a batch of profile-file writes: a key's value, the section erased, or the
// section's keys replaced by Entries, or by the keys "0", "1", ... with the values of Numbered (a
// list, seen where it lies: it must outlive the batch).
struct ProfileWrite {
    enum class Kind { Key, EraseSection, ReplaceSection };
    Kind kind = Kind::Key;
    std::string section;
    std::string key, value;
    std::vector<std::pair<std::string, std::string>> entries;
    std::span<const std::string> numbered;

    // The section's new keys and values.
    std::vector<std::pair<std::string, std::string>> Entries() const
    {
        if (numbered.empty())
            return entries;
        std::vector<std::pair<std::string, std::string>> all;
        all.reserve(numbered.size());
        for (std::size_t n = 0; n < numbered.size(); ++n)
            all.emplace_back(std::to_string(n), numbered[n]);
        return all;
    }
};

// Windows profile (INI) file access, as GetPrivateProfileStringA, GetPrivateProfileSectionW and
// WritePrivateProfileStringA offer it. Names match without regard to case; the platform keeps
// no state the caller can see between calls.
class IProfileFile {
public:
    virtual ~IProfileFile() = default;

    // The key's value with blanks trimmed and one pair of enclosing quotes removed, cut to
    // 2047 characters; Default when the file, section or key is absent.
    virtual std::string GetString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
        = 0;

    // The section's lines as GetPrivateProfileSection gives them, each ended by a zero byte:
    // "key=value", key and value trimmed, the value as written (quotes kept, not cut); a line
    // without "=" as its name alone; blank lines and ";" comments left out. Empty when the file
    // or section is absent.
    virtual std::string GetSection(const std::string& file, const std::string& section) = 0;

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

    // The writes one after another, as WriteString, EraseSection and ReplaceSection make them,
    // stopping at the first that fails. A backend may make them in one rewrite of the file:
    // the file ends as the single calls would leave it, and on failure stays as it was.
    virtual bool WriteBatch(const std::string& file, const std::vector<ProfileWrite>& writes)
    {
        for (const ProfileWrite& w : writes) {
            const bool ok = w.kind == ProfileWrite::Kind::Key ? WriteString(file, w.section, w.key, w.value)
                : w.kind == ProfileWrite::Kind::EraseSection  ? EraseSection(file, w.section)
                                                              : ReplaceSection(file, w.section, w.Entries());
            if (!ok)
                return false;
        }
        return true;
    }

    // Makes what was written lasting and drops any cached copy of the file.
    virtual void Flush(const std::string& file) = 0;

    // Why a file that is there cannot be read (a folder, a named pipe, no permission), in words;
    // empty when it reads, or is missing. Reads give their defaults then, so the caller says so.
    virtual std::string ReadProblem(const std::string& /*file*/) { return std::string(); }
};

} // namespace kdx::platform
