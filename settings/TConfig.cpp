#include "TConfig.h"

#include "Errors.h"
#include "platform/Platform.h"

#include <algorithm>
#include <stdexcept>

namespace kdx {

namespace {

using platform::PathDelim;

platform::Services& Os() { return platform::Current(); }

// Opens a key under HKEY_CURRENT_USER, creating it, and writes one string value; a key that
// cannot be opened shows as the failed write.
void SetRegString(const char* keyPath, const char* name, const std::string& value)
{
    const auto key = Os().registry->CreateKey(keyPath);
    if (!key || !key->SetString(name, value))
        Raise(texts::FailedToSetData, name);
}

// The install-folder lookup: the stored "InstalledPath", repaired from the program's own
// folder when absent or empty.
std::string LookUpInstallFolder()
{
    const auto key = Os().registry->CreateKey(reg::ProductKey);
    std::string path;
    if (key) {
        const platform::RegString stored = key->QueryString(reg::InstalledPathValue);
        if (stored.status == platform::RegRead::WrongType)
            Raise(texts::InvalidDataType, reg::InstalledPathValue);
        if (stored.status == platform::RegRead::Failed)
            Raise(texts::FailedToGetData, reg::InstalledPathValue);
        path = stored.value;
    }
    if (path.empty()) {
        path = Os().system->InstallFolderFor(ProgramFolder(Os().system->ModuleFileName()));
        if (!key || !key->SetString(reg::InstalledPathValue, path))
            Raise(texts::FailedToSetData, reg::InstalledPathValue);
    }
    return path;
}

} // namespace

std::string ProgramFolder(const std::string& programFile)
{
    const size_t at = programFile.find_last_of(PathDelim == '\\' ? "\\/" : "/");
    if (at == std::string::npos)
        return {};
    const bool root = at == 0 || programFile[at - 1] == ':';
    return programFile.substr(0, root ? at + 1 : at);
}

TConfig::TConfig()
    : InstalledPath(LookUpInstallFolder()),
      IniFile(std::make_unique<TIniFile>(InstalledPath + PathDelim + files::SettingsFile))
{
}

TIniFile& TConfig::Ini()
{
    if (!IniFile)
        throw std::logic_error("settings store used after ReleaseFile");
    return *IniFile;
}

void TConfig::ReadList(const std::string& section, TStrings& list)
{
    for (int n = 0; n < MaxListEntries; ++n) {
        std::string value = Ini().ReadString(section, std::to_string(n), "");
        if (value.empty())
            break;
        list.push_back(std::move(value));
    }
}

// The whole section goes in one write, so the companion screensaver, or a crash in the middle,
// never meets a list section erased or half written; what it finally reads is the same.
void TConfig::WriteList(const std::string& section, const TStrings& list)
{
    if (list.empty()) {
        Ini().EraseSection(section);
        return;
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t n = 0; n < list.size(); ++n)
        entries.emplace_back(std::to_string(n), list[n]);
    Ini().WriteSection(section, entries);
}

TStrings TConfig::LoadList(const std::string& section)
{
    TStrings list;
    ReadList(section, list);
    return list;
}

void TConfig::LoadSavers(TSavers& r)
{
    r.Items = LoadList("SaverList");
    r.RandomType = Ini().ReadInteger("Saver", "RandomType", 0);
    r.Interval = Ini().ReadInteger("Saver", "Interval", 60);
}

void TConfig::LoadFlashs(TFlashs& r)
{
    r.Items = LoadList("FlashList");
    r.RandomType = Ini().ReadInteger("Flash", "RandomType", 0);
    r.Size = Ini().ReadInteger("Flash", "Size", 0);
}

void TConfig::LoadImages(TImages& r)
{
    r.Items = LoadList("ImageList");
    r.Interval = Ini().ReadInteger("Image", "Interval", 5);
    r.Size = Ini().ReadInteger("Image", "Size", 0);
}

void TConfig::LoadWallpaper(TWallpaper& r)
{
    r.Items = LoadList("PaperList");
    r.Style = Ini().ReadInteger("Wallpaper", "Style", 0);
    r.Interval = Ini().ReadInteger("Wallpaper", "Interval", 60);
    r.Cycle = Ini().ReadInteger("Wallpaper", "Cycle", 0);
    r.PrevChange = Ini().ReadDateTime("Wallpaper", "PrevChange", TDateTime::Now());
    r.Activate = Ini().ReadBool("Wallpaper", "Activate", true);
    r.PerMonitor = Ini().ReadBool("Wallpaper", "PerMonitor", false);
}

void TConfig::LoadMisc(TMisc& r)
{
    r.RandomWhat = LoadList("RandomWhat");
    r.Sub = Ini().ReadBool("Misc", "Sub", false);
    r.AutoSave = Ini().ReadBool("Misc", "AutoSave", true);
    r.ActivateHotKey = Ini().ReadString("Misc", "ActivateHotKey", "A");
    r.ExecuteHotKey = Ini().ReadString("Misc", "ExecuteHotKey", "E");
    r.Startup = Ini().ReadBool("Misc", "Startup", false);
}

void TConfig::SaveSavers(const TSavers& r)
{
    WriteList("SaverList", r.Items);
    Ini().WriteInteger("Saver", "Interval", r.Interval);
    Ini().WriteInteger("Saver", "RandomType", r.RandomType);
}

void TConfig::SaveFlashs(const TFlashs& r)
{
    WriteList("FlashList", r.Items);
    Ini().WriteInteger("Flash", "RandomType", r.RandomType);
    Ini().WriteInteger("Flash", "Size", r.Size);
}

void TConfig::SaveImages(const TImages& r)
{
    WriteList("ImageList", r.Items);
    Ini().WriteInteger("Image", "Interval", r.Interval);
    Ini().WriteInteger("Image", "Size", r.Size);
}

void TConfig::SaveWallpaper(const TWallpaper& r)
{
    WriteList("PaperList", r.Items);
    Ini().WriteInteger("Wallpaper", "Interval", r.Interval);
    Ini().WriteInteger("Wallpaper", "Style", r.Style);
    Ini().WriteInteger("Wallpaper", "Cycle", r.Cycle);
    // The rotation stamps its changes while an editor holds the record it loaded: the later stamp
    // stays, so that a save never brings the next change forward.
    const TDateTime stored = Ini().ReadDateTime("Wallpaper", "PrevChange", r.PrevChange);
    Ini().WriteDateTime("Wallpaper", "PrevChange", std::max(stored, r.PrevChange));
    Ini().WriteBool("Wallpaper", "Activate", r.Activate);
    // Written once switched on, so the settings file of a user who never did stays as it was.
    if (r.PerMonitor || !Ini().ReadString("Wallpaper", "PerMonitor", "").empty())
        Ini().WriteBool("Wallpaper", "PerMonitor", r.PerMonitor);
}

void TConfig::SaveMisc(const TMisc& r)
{
    WriteList("RandomWhat", r.RandomWhat);
    Ini().WriteBool("Misc", "Sub", r.Sub);
    Ini().WriteBool("Misc", "Startup", r.Startup);
    Ini().WriteBool("Misc", "AutoSave", r.AutoSave);
    Ini().WriteString("Misc", "ActivateHotKey", r.ActivateHotKey);
    Ini().WriteString("Misc", "ExecuteHotKey", r.ExecuteHotKey);
    SetRunAtLogon(r.Startup);
}

void TConfig::SetRunAtLogon(bool on)
{
    const std::string program = Os().system->ModuleFileName();
    if (on) {
        std::string folder = ProgramFolder(program);
        if (folder.empty() || folder.back() != PathDelim)
            folder += PathDelim;
        SetRegString(reg::RunKey, reg::RunValue, "\"" + folder + files::AgentProgram + "\"");
        if (!Os().autostart->Enable(program))
            Raise(texts::FailedToSetData, reg::RunValue);
        return;
    }
    if (const auto key = Os().registry->CreateKey(reg::RunKey); key && key->ValueExists(reg::RunValue))
        key->DeleteValue(reg::RunValue);
    Os().autostart->Disable();
}

bool TConfig::ReadFlag(const std::string& section, const std::string& key)
{
    return Ini().ReadBool(section, key, true);
}

void TConfig::WriteFlag(const std::string& section, const std::string& key, bool value)
{
    Ini().WriteBool(section, key, value);
}

void TConfig::WriteStamp(const std::string& section, const std::string& key, TDateTime value)
{
    Ini().WriteDateTime(section, key, value);
}

bool TConfig::IsAutoSave() { return ReadFlag("Misc", "AutoSave"); }

void TConfig::SetSystemSaver(bool install)
{
    SetRegString(reg::DesktopKey, reg::ScreenSaverValue,
        install ? std::string("\"") + files::CompanionSaver + "\"" : std::string("\"\""));
}

void TConfig::ReleaseFile()
{
    if (IniFile)
        IniFile->UpdateFile();
    IniFile.reset();
}

} // namespace kdx
