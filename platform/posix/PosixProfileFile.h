#pragma once
#include "platform/ProfileFile.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace kdx::platform::posix {

class IniText;

// Profile files read and edited by our own code. Every change replaces the whole file at once,
// a batch of changes included. The last file read is kept parsed while the file on disk is the
// same, so that a load of many keys parses a large file once; what a read gives is always what
// the file holds at that moment.
class PosixProfileFile final : public IProfileFile {
public:
    PosixProfileFile();
    ~PosixProfileFile() override;

    std::string GetString(const std::string& file, const std::string& section, const std::string& key,
        const std::string& fallback) override;
    std::string GetSection(const std::string& file, const std::string& section) override;
    bool WriteString(
        const std::string& file, const std::string& section, const std::string& key, const std::string& value) override;
    bool EraseSection(const std::string& file, const std::string& section) override;
    bool ReplaceSection(const std::string& file, const std::string& section,
        const std::vector<std::pair<std::string, std::string>>& entries) override;
    bool WriteBatch(const std::string& file, const std::vector<ProfileWrite>& writes) override;
    void Flush(const std::string& file) override;
    std::string ReadProblem(const std::string& file) override;

    // What tells one state of a file from another without reading it.
    struct FileStamp {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modified = 0, changed = 0; // times in nanoseconds
        bool operator==(const FileStamp&) const = default;
    };

private:
    // The file parsed, from the cache when it is still what the file holds; nothing when the
    // file is absent or cannot be read (Unreadable says which).
    std::shared_ptr<const IniText> Parsed(const std::string& file, bool* unreadable = nullptr);
    // The text to edit for a write: the cached one itself when nothing else holds it (the cache
    // lets go of it), else a copy.
    std::shared_ptr<IniText> Own(std::shared_ptr<const IniText> parsed);
    void Keep(const std::string& file, std::shared_ptr<IniText> text);

    std::mutex lock_;
    std::string cachedFile_;
    FileStamp cachedStamp_;
    // The file had not changed for a while when it was read, so any later change shows in its
    // stamp (file times are coarse: a change within the same tick may leave them as they were).
    bool settled_ = false;
    std::shared_ptr<IniText> cached_;
};

// A value as GetPrivateProfileString hands it out: one pair of enclosing quotes (" or ')
// removed, then cut to the 2047 characters that a 2048-character buffer holds.
std::string ProfileReadValue(std::string raw);

} // namespace kdx::platform::posix
