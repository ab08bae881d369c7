#include "Win32Shell.h"

#include "platform/Platform.h"

#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>
#include <versionhelpers.h>

#include <algorithm>
#include <cstdio>
#include <vector>

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

namespace {

std::wstring Wide(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(std::size_t(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Releases a COM interface at the end of its scope.
template <typename Interface> struct Released {
    Interface* p = nullptr;
    ~Released()
    {
        if (p)
            p->Release();
    }
};

// Whether the bitmap of Monitors shows on each monitor through the per-monitor interface; the
// failure of the interface itself as Failure (the caller then spans one bitmap).
std::vector<MonitorShown> PerMonitor(IDesktopWallpaper& wallpaper, const MonitorWallpapers& wallpapers)
{
    std::vector<MonitorShown> shown;
    UINT count = 0;
    wallpaper.GetMonitorDevicePathCount(&count);
    // Made at each monitor's size: stretched is shown one to one.
    wallpaper.SetPosition(DWPOS_STRETCH);
    for (const MonitorWallpaper& m : wallpapers.monitors) {
        MonitorShown result {m.monitor.name, false, "Windows lists no monitor at its place"};
        for (UINT i = 0; i < count; ++i) {
            LPWSTR id = nullptr;
            RECT r {};
            if (FAILED(wallpaper.GetMonitorDevicePathAt(i, &id)) || !id)
                continue;
            if (SUCCEEDED(wallpaper.GetMonitorRECT(id, &r)) && r.left == m.monitor.x && r.top == m.monitor.y
                && unsigned(r.right - r.left) == m.monitor.width && unsigned(r.bottom - r.top) == m.monitor.height) {
                const std::wstring file = Wide(m.bitmap);
                const HRESULT set = m.fresh ? wallpaper.SetWallpaper(id, file.c_str()) : S_OK;
                LPWSTR now = nullptr;
                const bool same = SUCCEEDED(wallpaper.GetWallpaper(id, &now)) && now && file == now;
                CoTaskMemFree(now);
                result = {m.monitor.name, SUCCEEDED(set) && same,
                    FAILED(set) ? "IDesktopWallpaper refused the picture (" + Hex(set) + ")"
                        : same  ? std::string("the Windows desktop (IDesktopWallpaper)")
                                : std::string("Windows names another picture for it")};
            }
            CoTaskMemFree(id);
        }
        shown.push_back(result);
    }
    return shown;
}

// Rewrites a bottom-up 24-bit bitmap of Width x Height turned so that the pixel at (Dx, Dy)
// comes first: Windows tiles from the primary monitor's corner.
bool TurnBitmap(const std::string& path, unsigned width, unsigned height, unsigned dx, unsigned dy)
{
    if (dx == 0 && dy == 0)
        return true;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    std::vector<unsigned char> bytes;
    for (int c; (c = std::fgetc(in)) != EOF;)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    if (bytes.size() < 54 + stride * height)
        return false;
    std::vector<unsigned char> turned(bytes);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            // Rows from the top: the file keeps the last row first.
            const std::size_t from = 54 + (height - 1 - (y + dy) % height) * stride + ((x + dx) % width) * 3;
            const std::size_t to = 54 + (height - 1 - y) * stride + x * 3;
            std::copy_n(bytes.begin() + long(from), 3, turned.begin() + long(to));
        }
    FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(turned.data(), 1, turned.size(), out) == turned.size();
    return out && std::fclose(out) == 0 && written;
}

// EnumDisplayMonitors' callback (a stdcall function on 32-bit Windows): adds one monitor.
BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data)
{
    MONITORINFOEXA info {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(handle, &info))
        return TRUE;
    Monitor m;
    m.name = info.szDevice;
    if (m.name.rfind("\\\\.\\", 0) == 0)
        m.name = m.name.substr(4);
    m.x = info.rcMonitor.left;
    m.y = info.rcMonitor.top;
    m.width = unsigned(info.rcMonitor.right - info.rcMonitor.left);
    m.height = unsigned(info.rcMonitor.bottom - info.rcMonitor.top);
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    reinterpret_cast<std::vector<Monitor>*>(data)->push_back(m);
    return TRUE;
}

} // namespace

std::vector<Monitor> Win32Desktop::Monitors()
{
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    return monitors;
}

WallpaperOutcome Win32Desktop::ApplyMonitorWallpapers(const MonitorWallpapers& wallpapers)
{
    // The agent's thread has COM already (Qt's); a thread without it gets it here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Released<IDesktopWallpaper> wallpaper;
    const HRESULT made = CoCreateInstance(
        CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper, reinterpret_cast<void**>(&wallpaper.p));
    WallpaperOutcome outcome;
    if (SUCCEEDED(made) && wallpaper.p) {
        outcome.monitors = PerMonitor(*wallpaper.p, wallpapers);
        outcome.shown = std::any_of(
            outcome.monitors.begin(), outcome.monitors.end(), [](const MonitorShown& m) { return m.shown; });
        outcome.detail = "the Windows desktop (IDesktopWallpaper)";
    } else {
        // One wallpaper for the whole desktop: the spanned bitmap, laid over every monitor.
        const std::string spanned = wallpapers.spanned ? wallpapers.spanned() : std::string();
        const std::string why = "this Windows has no wallpaper per monitor (IDesktopWallpaper: " + Hex(made) + ")";
        auto key = Current().registry->OpenKey(desktop::Key);
        bool written = !spanned.empty() && key;
        if (written && !IsWindows8OrGreater()) {
            // Tiled from the primary monitor's corner, which the bitmap's first pixel must show.
            int left = 0, top = 0;
            unsigned width = 0, height = 0;
            for (const MonitorWallpaper& m : wallpapers.monitors) {
                left = std::min(left, m.monitor.x);
                top = std::min(top, m.monitor.y);
            }
            for (const MonitorWallpaper& m : wallpapers.monitors) {
                width = std::max(width, unsigned(m.monitor.x - left) + m.monitor.width);
                height = std::max(height, unsigned(m.monitor.y - top) + m.monitor.height);
            }
            written = TurnBitmap(spanned, width, height, unsigned(-left), unsigned(-top))
                && key->SetString(desktop::TileWallpaperValue, "1")
                && key->SetString(desktop::WallpaperStyleValue, "0");
        } else if (written) {
            written = key->SetString(desktop::TileWallpaperValue, "0")
                && key->SetString(desktop::WallpaperStyleValue, "22");
        }
        written = written && key->SetString(desktop::WallpaperValue, spanned);
        key.reset();
        const WallpaperOutcome applied = ApplyWallpaperSettings();
        char now[MAX_PATH] = "";
        SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
        const bool shown = written && applied.shown && spanned == now;
        outcome = {shown, shown ? applied.detail + ", spanned" : applied.detail};
        for (const MonitorWallpaper& m : wallpapers.monitors)
            outcome.monitors.push_back({m.monitor.name, shown,
                shown ? "its part of one picture over the whole desktop: " + why
                      : (spanned.empty() ? "the picture over the whole desktop could not be made"
                                         : "Windows did not take the picture over the whole desktop")});
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return outcome;
}

} // namespace kdx::platform::win32
