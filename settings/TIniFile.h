#pragma once
#include "DateTime.h"
#include "platform/ProfileFile.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kdx {

// The settings-file accessor: it remembers the file name and nothing else, and turns each
// typed read or write into one profile-file call with the file's value encodings.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) { }

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;
    TDateTime ReadDateTime(const std::string& section, const std::string& key, TDateTime fallback) const;
    // The section's "key=value" lines in one read, as the profile functions give them: each
    // ended by a zero byte.
    std::string ReadSectionLines(const std::string& section) const;

    // Each raises "Unable to write to %s" when the platform refuses the write.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const;
    void WriteBool(const std::string& section, const std::string& key, bool value) const;
    void WriteDateTime(const std::string& section, const std::string& key, TDateTime value) const;

    // Makes Writes in one go ("Unable to write to %s" when the platform refuses them).
    void WriteBatch(const std::vector<platform::ProfileWrite>& writes) const;

    void UpdateFile() const;
    // Why the file is there but cannot be read, in words; empty when it reads or is missing.
    std::string ReadProblem() const;

private:
    std::string fileName_;
};

// Writes gathered for one TIniFile::WriteBatch, with the file's value encodings.
class TIniWrites {
public:
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteDateTime(const std::string& section, const std::string& key, TDateTime value);
    // The section's keys become "0", "1", ... with the entries of List as values; an empty list
    // erases it. List must live until the writes are made.
    void WriteList(const std::string& section, const std::vector<std::string>& list);

    const std::vector<platform::ProfileWrite>& Writes() const { return writes_; }

private:
    std::vector<platform::ProfileWrite> writes_;
};

// Integer text as the settings file reads it: "0x" or "0X" before hexadecimal digits when the
// text is longer than two characters, or "$" before them; otherwise decimal. Text that is no
// such number gives Fallback.
std::int32_t ParseIniInteger(const std::string& text, std::int32_t fallback);

} // namespace kdx
