#include "Win32ProfileFile.h"

#include <windows.h>

namespace kdx::platform::win32 {

namespace {

// GetPrivateProfileStringA's buffer: values come back cut to 2047 characters.
constexpr DWORD ReadBufferChars = 2048;

// Windows refuses to write a file with the read-only attribute; Wine running as root writes it
// anyway, since root ignores the permission bits that stand for the attribute there.
bool IsReadOnly(const std::string& file)
{
    const DWORD attrs = GetFileAttributesA(file.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

} // namespace

std::string Win32ProfileFile::GetString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
{
    char buf[ReadBufferChars] = {};
    const DWORD n
        = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf, ReadBufferChars, file.c_str());
    return std::string(buf, n);
}

bool Win32ProfileFile::WriteString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    if (value.find_first_of("\r\n") != std::string::npos || IsReadOnly(file))
        return false;
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool Win32ProfileFile::EraseSection(const std::string& file, const std::string& section)
{
    if (IsReadOnly(file))
        return false;
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != FALSE;
}

bool Win32ProfileFile::ReplaceSection(const std::string& file, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (IsReadOnly(file))
        return false;
    // "key=value" strings one after another, each ended by a zero, the whole by another zero.
    std::string block;
    for (const auto& [key, value] : entries) {
        if ((key + value).find_first_of("\r\n") != std::string::npos)
            return false;
        block += key + "=" + value;
        block += '\0';
    }
    block += '\0';
    return WritePrivateProfileSectionA(section.c_str(), block.c_str(), file.c_str()) != FALSE;
}

void Win32ProfileFile::Flush(const std::string& file)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

} // namespace kdx::platform::win32
