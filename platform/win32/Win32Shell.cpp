#include "Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

namespace kdx::platform::win32 {

namespace {

// LoadStringA's buffer: at most 255 characters and the terminating zero.
constexpr int ResourceStringChars = 256;

} // namespace

void Win32Shell::Execute(const std::string& verb, const std::string& file, const std::string& params)
{
    ShellExecuteA(
        nullptr, verb.c_str(), file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr, SW_SHOWNORMAL);
}

void Win32Shell::ShowProperties(const std::string& path)
{
    SHELLEXECUTEINFOA info {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = "properties";
    info.lpFile = path.c_str();
    info.nShow = 0;
    ShellExecuteExA(&info);
}

std::string Win32Shell::DisplayName(const std::string& path)
{
    SHFILEINFOA info {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME))
        return {};
    return info.szDisplayName;
}

std::string Win32Shell::ResourceString(const std::string& path, unsigned id)
{
    const HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return {};
    char buf[ResourceStringChars] = {};
    const int n = LoadStringA(module, id, buf, ResourceStringChars);
    FreeLibrary(module);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

WallpaperOutcome Win32Desktop::ApplyWallpaperSettings()
{
    const bool shown = SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE) != FALSE;
    return {shown, shown ? "the Windows desktop" : "SystemParametersInfo refused the wallpaper"};
}

} // namespace kdx::platform::win32
