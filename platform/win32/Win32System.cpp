#include "Win32System.h"

#include <windows.h>

namespace kdx::platform::win32 {

namespace {

// GetWindowsDirectoryA's buffer: MAX_PATH and one more.
constexpr UINT WindowsDirChars = 261;

CivilTime FromSystemTime(const SYSTEMTIME& st)
{
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace

std::string Win32System::ModuleFileName()
{
    // A longer name than the buffer comes back cut and with the buffer full: grow and retry.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::string buf(size, '\0');
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), size);
        if (n == 0)
            return {};
        if (n < size)
            return buf.substr(0, n);
        if (size >= 32768)
            return {};
    }
}

std::string Win32System::InstallFolderFor(const std::string& programFolder) { return programFolder; }

std::string Win32System::HelpFolderFor(const std::string&) { return {}; }

std::string Win32System::WindowsDirectory()
{
    char buf[WindowsDirChars] = {};
    const UINT n = GetWindowsDirectoryA(buf, WindowsDirChars);
    return n > 0 && n < WindowsDirChars ? std::string(buf, n) : std::string();
}

CivilTime Win32System::LocalTime()
{
    SYSTEMTIME st {};
    GetLocalTime(&st);
    return FromSystemTime(st);
}

CivilTime Win32System::SystemTime()
{
    SYSTEMTIME st {};
    GetSystemTime(&st);
    return FromSystemTime(st);
}

bool Win32Autostart::Enable(const std::string&) { return true; }

void Win32Autostart::Disable() { }

} // namespace kdx::platform::win32
