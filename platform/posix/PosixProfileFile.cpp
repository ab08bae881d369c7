#include "PosixProfileFile.h"

#include "platform/posix/files/FileText.h"
#include "platform/posix/files/IniText.h"

namespace kdx::platform::posix {

namespace {

constexpr size_t ReadBufferChars = 2048;

// A line break would end the line early and turn the rest into lines of their own, in a value
// as in a section or key name.
bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// Applies Edit to the file's text and stores the result when it changed.
template <typename EditFn> bool EditFile(const std::string& file, EditFn edit)
{
    std::string bytes;
    if (ReadTextFile(file, bytes) == ReadResult::Unreadable || !MayReplaceFile(file))
        return false;
    IniText text(std::move(bytes));
    return !edit(text) || ReplaceFile(file, text.Bytes());
}

} // namespace

std::string ProfileReadValue(std::string raw)
{
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    if (raw.size() > ReadBufferChars - 1)
        raw.resize(ReadBufferChars - 1);
    return raw;
}

std::string PosixProfileFile::GetString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
{
    std::string bytes;
    if (ReadTextFile(file, bytes) != ReadResult::Ok)
        return ProfileReadValue(fallback);
    const auto value = IniText(std::move(bytes)).Value(section, key);
    return ProfileReadValue(value ? *value : fallback);
}

bool PosixProfileFile::WriteString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;
    // A value that is there already needs no write, so it succeeds also where the file may not
    // be written (read-only), as with the Windows functions.
    std::string bytes;
    if (ReadTextFile(file, bytes) == ReadResult::Ok && !IniText(std::move(bytes)).Set(section, key, value))
        return true;
    return EditFile(file, [&](IniText& text) { return text.Set(section, key, value); });
}

bool PosixProfileFile::EraseSection(const std::string& file, const std::string& section)
{
    if (HasLineBreak(section))
        return false;
    return EditFile(file, [&](IniText& text) { return text.EraseSection(section); });
}

bool PosixProfileFile::ReplaceSection(const std::string& file, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (HasLineBreak(section))
        return false;
    std::vector<std::string> lines;
    for (const auto& [key, value] : entries) {
        if (HasLineBreak(key) || HasLineBreak(value))
            return false;
        lines.push_back(key + "=" + value.substr(std::min(value.find_first_not_of(" \t"), value.size())));
    }
    return EditFile(file, [&](IniText& text) { return text.ReplaceSection(section, lines); });
}

void PosixProfileFile::Flush(const std::string& file) { SyncFile(file); }

std::string PosixProfileFile::ReadProblem(const std::string& file)
{
    std::string bytes, problem;
    return ReadTextFile(file, bytes, &problem) == ReadResult::Unreadable ? problem : std::string();
}

} // namespace kdx::platform::posix
