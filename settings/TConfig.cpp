#include "TConfig.h"

#include "Errors.h"
#include "platform/Platform.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

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

namespace {

// The list entry a key names: its number when the key is written as WriteList writes it
// (decimal, no leading zero), so only the key that a read of "n" would find counts.
std::optional<size_t> EntryNumber(std::string_view key, size_t below)
{
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0'))
        return std::nullopt;
    size_t n = 0;
    for (const char c : key) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + size_t(c - '0');
    }
    return n < below ? std::optional<size_t>(n) : std::nullopt;
}

// A value as a key read gives it: one pair of enclosing quotes removed, cut to 2047 characters.
std::string ReadValue(std::string_view raw)
{
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    return std::string(raw.substr(0, 2047));
}

} // namespace

// The section is read once, and its entries taken as reading key "0", "1", ... in turn would
// give them (the first key of a name counts), up to the first missing or empty one.
void TConfig::ReadList(const std::string& section, TStrings& list)
{
    const std::string block = Ini().ReadSectionLines(section);
    const std::string_view lines(block);
    std::vector<std::optional<std::string_view>> entries(size_t(std::count(block.begin(), block.end(), '\0')));
    for (size_t at = 0, end; at < lines.size(); at = end + 1) {
        end = lines.find('\0', at);
        const std::string_view line = lines.substr(at, end - at);
        const size_t eq = line.find('=');
        const auto n = EntryNumber(line.substr(0, eq), entries.size());
        if (!n || entries[*n])
            continue;
        entries[*n] = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    }
    for (const auto& entry : entries) {
        if (!entry)
            break;
        std::string value = ReadValue(*entry);
        if (value.empty())
            break;
        list.push_back(std::move(value));
    }
}

// The whole section goes in one write, so the companion screensaver, or a crash in the middle,
// never meets a list section erased or half written; what it finally reads is the same.
void TConfig::WriteList(const std::string& section, const TStrings& list)
{
    TIniWrites writes;
    writes.WriteList(section, list);
    Ini().WriteBatch(writes.Writes());
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

// Each save is one write of the file: a reader meets the list and its options both old or
// both new, and a save that cannot be made leaves the file as it was.
void TConfig::SaveSavers(const TSavers& r)
{
    TIniWrites w;
    w.WriteList("SaverList", r.Items);
    w.WriteInteger("Saver", "Interval", r.Interval);
    w.WriteInteger("Saver", "RandomType", r.RandomType);
    Ini().WriteBatch(w.Writes());
}

void TConfig::SaveFlashs(const TFlashs& r)
{
    TIniWrites w;
    w.WriteList("FlashList", r.Items);
    w.WriteInteger("Flash", "RandomType", r.RandomType);
    w.WriteInteger("Flash", "Size", r.Size);
    Ini().WriteBatch(w.Writes());
}

void TConfig::SaveImages(const TImages& r)
{
    TIniWrites w;
    w.WriteList("ImageList", r.Items);
    w.WriteInteger("Image", "Interval", r.Interval);
    w.WriteInteger("Image", "Size", r.Size);
    Ini().WriteBatch(w.Writes());
}

void TConfig::SaveWallpaper(const TWallpaper& r)
{
    // Written once switched on, so the settings file of a user who never did stays as it was.
    const bool perMonitor = r.PerMonitor || !Ini().ReadString("Wallpaper", "PerMonitor", "").empty();
    TIniWrites w;
    w.WriteList("PaperList", r.Items);
    w.WriteInteger("Wallpaper", "Interval", r.Interval);
    w.WriteInteger("Wallpaper", "Style", r.Style);
    w.WriteInteger("Wallpaper", "Cycle", r.Cycle);
    // The rotation stamps its changes while an editor holds the record it loaded: the later stamp
    // stays, so that a save never brings the next change forward.
    const TDateTime stored = Ini().ReadDateTime("Wallpaper", "PrevChange", r.PrevChange);
    w.WriteDateTime("Wallpaper", "PrevChange", std::max(stored, r.PrevChange));
    w.WriteBool("Wallpaper", "Activate", r.Activate);
    if (perMonitor)
        w.WriteBool("Wallpaper", "PerMonitor", r.PerMonitor);
    Ini().WriteBatch(w.Writes());
}

void TConfig::SaveMisc(const TMisc& r)
{
    TIniWrites w;
    w.WriteList("RandomWhat", r.RandomWhat);
    w.WriteBool("Misc", "Sub", r.Sub);
    w.WriteBool("Misc", "Startup", r.Startup);
    w.WriteBool("Misc", "AutoSave", r.AutoSave);
    w.WriteString("Misc", "ActivateHotKey", r.ActivateHotKey);
    w.WriteString("Misc", "ExecuteHotKey", r.ExecuteHotKey);
    Ini().WriteBatch(w.Writes());
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
