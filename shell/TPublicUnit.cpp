#include "TPublicUnit.h"

#include "BitmapFile.h"
#include "MessageBox.h"
#include "MonitorBitmap.h"
#include "platform/Platform.h"
#include "settings/Errors.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

namespace kdx {

namespace {

platform::Services& Platform() { return platform::Current(); }

// Where the file-name part of a path begins: after its last "\" or drive colon on Windows,
// after its last "/" here.
std::size_t NameStart(const std::string& path)
{
    const char* separators = platform::PathDelim == '\\' ? "\\:" : "/";
    const std::size_t at = path.find_last_of(separators);
    return at == std::string::npos ? 0 : at + 1;
}

// From the last dot of the file-name part, the dot included; empty when the name has none.
std::string Extension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string() : path.substr(dot);
}

// A picture that cannot be read is named, with the reason: a missing file, a named pipe or a
// device (which would never end, or never begin), a folder.
void CheckPictureOpens(const std::string& path)
{
    std::string problem;
    std::FILE* file = platform::OpenRegularFile(path, &problem);
    if (!file)
        RaiseCannotOpen(path, problem);
    std::fclose(file);
}

void SetDesktopValue(platform::IRegKey& key, const char* name, const std::string& value)
{
    if (!key.SetString(name, value))
        Raise(texts::FailedToSetData, name);
}

int ShowMessage(const char* caption, const std::string& msg, MessageIcon icon)
{
    IMessageBox* box = CurrentMessageBox();
    return box ? box->Show(caption, msg, icon) : IdOk;
}

// The complete Part takes the place of Bitmap; raises "Cannot create file %s" when it cannot, and
// Bitmap is then as it was.
void ReplaceWithPart(const std::string& part, const std::string& bitmap)
{
    platform::IFiles& files = *Platform().files;
    files.DeleteFile(bitmap); // a failure shows below: the bitmap is still there
    if (files.FileExists(bitmap) || std::rename(part.c_str(), bitmap.c_str()) != 0) {
        files.DeleteFile(part);
        Raise(texts::CannotCreateFile, bitmap);
    }
}

void WriteDesktopValues(platform::IRegKey& key, const std::string& bitmap, int style)
{
    const DesktopStyleTexts values = WallpaperStyleTexts(style);
    SetDesktopValue(key, desktop::TileWallpaperValue, values.tile);
    SetDesktopValue(key, desktop::WallpaperValue, bitmap);
    SetDesktopValue(key, desktop::WallpaperStyleValue, values.style);
}

} // namespace

DesktopStyleTexts WallpaperStyleTexts(int style)
{
    switch (style) {
    case 0:
        return {"0", "0"};
    case 1:
        return {"1", "0"};
    case 2:
        return {"0", "2"};
    default:
        return {"", ""};
    }
}

std::string TPublicUnit::DisplayName(const std::string& path)
{
    if (!Platform().files->FileExists(path))
        return texts::FileNotFound;
    if (Extension(path) == ".scr") {
        std::string description = Platform().shell->ResourceString(path, 1);
        return description.empty() ? ShellDisplayName(path) : description;
    }
    return path.substr(NameStart(path));
}

std::string TPublicUnit::ShellDisplayName(const std::string& path) { return Platform().shell->DisplayName(path); }

int TPublicUnit::ShowWarning(const std::string& msg)
{
    return ShowMessage(texts::WarningCaption, msg, MessageIcon::Warning);
}

int TPublicUnit::ShowInfo(const std::string& msg)
{
    return ShowMessage(texts::InformationCaption, msg, MessageIcon::Information);
}

void TPublicUnit::ShowProperties(const std::string& path) { Platform().shell->ShowProperties(path); }

int TPublicUnit::RandomIndex(int n)
{
    if (n <= 0)
        return 0;
    const platform::CivilTime t = Platform().system->SystemTime();
    std::uint32_t seed = std::uint32_t(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond);
    seed = seed * 134775813u + 1u; // unsigned arithmetic wraps modulo 2^32
    return int((std::uint64_t(seed) * std::uint32_t(n)) >> 32);
}

std::string TPublicUnit::GetWindowsDir() { return Platform().system->WindowsDirectory(); }

std::string TPublicUnit::RightChars(const std::string& text, int count)
{
    if (count <= 0 || text.empty())
        return std::string();
    if (std::size_t(count) >= text.size())
        return text;
    return text.substr(text.size() - std::size_t(count));
}

std::string TPublicUnit::WallpaperBitmapPath()
{
    return GetWindowsDir() + platform::PathDelim + texts::WallpaperBitmap;
}

platform::WallpaperOutcome TPublicUnit::SetWallpaper(const std::string& path, int style)
{
    if (auto key = Platform().registry->OpenKey(desktop::Key)) {
        const std::string bitmap = WallpaperBitmapPath();
        MakeWallpaperBitmap(path);
        WriteDesktopValues(*key, bitmap, style);
    } // the key is closed here, before the system is told
    return Platform().desktop->ApplyWallpaperSettings();
}

void TPublicUnit::MakeWallpaperBitmap(const std::string& path)
{
    platform::IFiles& files = *Platform().files;
    const std::string bitmap = WallpaperBitmapPath();
    // The new bitmap is made beside the old one and replaces it only once complete, so a
    // picture that fails leaves the desktop with the bitmap it names.
    const std::string part = bitmap + texts::PartialSuffix;
    files.DeleteFile(part); // left by an interrupted run
    CheckPictureOpens(path);

    if (picture::IsJpegPath(path)) {
        picture::WriteJpegAsBitmap(path, part, bitmap);
    } else if (!files.CopyFile(path, part, true)) {
        files.DeleteFile(part);
        Raise(texts::CannotCreateFile, bitmap);
    }

    ReplaceWithPart(part, bitmap);
}

std::string TPublicUnit::MonitorBitmapPath(const std::string& name)
{
    std::string safe = name.empty() ? "monitor" : name;
    for (char& c : safe)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_'
                || c == '-'))
            c = '_';
    return GetWindowsDir() + platform::PathDelim + "KAWalllpaper[" + safe + "].bmp";
}

std::string TPublicUnit::SpannedBitmapPath()
{
    return GetWindowsDir() + platform::PathDelim + "KAWalllpaper-spanned.bmp";
}

platform::WallpaperOutcome TPublicUnit::SetMonitorWallpapers(const std::vector<MonitorPick>& picks, int style)
{
    platform::IFiles& files = *Platform().files;
    platform::MonitorWallpapers request;
    for (const MonitorPick& pick : picks)
        request.monitors.push_back({pick.monitor, MonitorBitmapPath(pick.monitor.name), pick.fresh});
    if (auto key = Platform().registry->OpenKey(desktop::Key)) {
        std::vector<picture::MonitorBitmapJob> jobs;
        for (std::size_t i = 0; i < picks.size(); ++i) {
            const MonitorPick& pick = picks[i];
            const std::string& bitmap = request.monitors[i].bitmap;
            if (!pick.remake && files.FileExists(bitmap))
                continue;
            CheckPictureOpens(pick.picture);
            jobs.push_back({pick.picture, style, pick.monitor.width, pick.monitor.height, bitmap});
        }
        picture::MakeMonitorBitmaps(jobs, texts::PartialSuffix);
        // The primary monitor's bitmap is the wallpaper bitmap as well: a second name for the
        // same file where the file system allows, a copy elsewhere.
        const std::string bitmap = WallpaperBitmapPath();
        std::error_code same;
        if (!request.monitors.empty()
            && (!jobs.empty() || !std::filesystem::equivalent(request.monitors.front().bitmap, bitmap, same))) {
            const std::string part = bitmap + texts::PartialSuffix;
            files.DeleteFile(part);
            std::error_code failed;
            std::filesystem::create_hard_link(request.monitors.front().bitmap, part, failed);
            if (failed && !files.CopyFile(request.monitors.front().bitmap, part, true)) {
                files.DeleteFile(part);
                Raise(texts::CannotCreateFile, bitmap);
            }
            ReplaceWithPart(part, bitmap);
        }
        WriteDesktopValues(*key, bitmap, style);
    }
    // Made only for a desktop that asks for it, once.
    const std::string spanned = SpannedBitmapPath();
    request.spanned = [monitors = request.monitors, spanned, made = std::make_shared<std::optional<bool>>()]() {
        if (!*made)
            *made = picture::ComposeSpannedBitmap(monitors, spanned);
        return **made ? spanned : std::string();
    };
    return Platform().desktop->ApplyMonitorWallpapers(request);
}

} // namespace kdx
