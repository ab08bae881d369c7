#include "PosixProfileFile.h"

#include "FileText.h"
#include "IniText.h"

namespace kdx::platform::posix {

namespace {

constexpr size_t ReadBufferChars = 2048;

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
    // A line break would end the line early and turn the rest into lines of their own.
    if (value.find_first_of("\r\n") != std::string::npos)
        return false;
    return EditFile(file, [&](IniText& text) { return text.Set(section, key, value); });
}

bool PosixProfileFile::EraseSection(const std::string& file, const std::string& section)
{
    return EditFile(file, [&](IniText& text) { return text.EraseSection(section); });
}

bool PosixProfileFile::ReplaceSection(const std::string& file, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<std::string> lines;
    for (const auto& [key, value] : entries) {
        if ((key + value).find_first_of("\r\n") != std::string::npos)
            return false;
        lines.push_back(key + "=" + value.substr(std::min(value.find_first_not_of(" \t"), value.size())));
    }
    return EditFile(file, [&](IniText& text) { return text.ReplaceSection(section, lines); });
}

void PosixProfileFile::Flush(const std::string& file) { SyncFile(file); }

} // namespace kdx::platform::posix
