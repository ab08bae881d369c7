#include "Win32ProfileFile.h"

#include <windows.h>

#include <algorithm>

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

// A line break would forge lines of its own: the profile functions write it raw.
bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

} // namespace

std::string Win32ProfileFile::GetString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
{
    char buf[ReadBufferChars] = {};
    const DWORD n
        = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf, ReadBufferChars, file.c_str());
    return std::string(buf, n);
}

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow(const wchar_t* text, size_t size)
{
    if (size == 0)
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text, int(size), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, int(size), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

} // namespace

// The wide call reads a section of any size (the ANSI one is a wrapper around it); the text
// comes back in the ANSI code page, as the ANSI calls give it. The buffer grows until the
// section fits: a section cut short comes back as the buffer's size less two.
std::string Win32ProfileFile::GetSection(const std::string& file, const std::string& section)
{
    const std::wstring wideFile = Wide(file), wideSection = Wide(section);
    std::vector<wchar_t> buf(32768);
    DWORD n = 0;
    for (;;) {
        n = GetPrivateProfileSectionW(wideSection.c_str(), buf.data(), DWORD(buf.size()), wideFile.c_str());
        if (n + 2 < buf.size() || buf.size() >= (size_t(1) << 30))
            break;
        buf.assign(buf.size() * 2, L'\0');
    }
    return Narrow(buf.data(), n); // the lines with their zero bytes, without the list's own
}

bool Win32ProfileFile::WriteString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;
    // A value that is there already needs no write, so it succeeds on a read-only file too, as
    // the profile functions themselves report it. A line break is no value, so it marks "absent".
    if (IsReadOnly(file))
        return GetString(file, section, key, "\n")
            == value.substr(std::min(value.find_first_not_of(" \t"), value.size()));
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool Win32ProfileFile::EraseSection(const std::string& file, const std::string& section)
{
    if (HasLineBreak(section) || IsReadOnly(file))
        return false;
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != FALSE;
}

bool Win32ProfileFile::ReplaceSection(const std::string& file, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (HasLineBreak(section) || IsReadOnly(file))
        return false;
    // "key=value" strings one after another, each ended by a zero, the whole by another zero.
    std::string block;
    for (const auto& [key, value] : entries) {
        if (HasLineBreak(key) || HasLineBreak(value))
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
