#include "Sandbox.h"

#include "settings/TConfig.h"

#include <windows.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <utility>

namespace kdx::test {

namespace {

// The HKEY_CURRENT_USER values that the agent writes; each test gets them back as they were.
const std::pair<const char*, const char*> GuardedValues[] = {
    {reg::ProductKey, reg::InstalledPathValue},
    {reg::RunKey, reg::RunValue},
    {reg::DesktopKey, reg::ScreenSaverValue},
    {reg::DesktopKey, "Wallpaper"},
    {reg::DesktopKey, "TileWallpaper"},
    {reg::DesktopKey, "WallpaperStyle"},
};

struct SavedValue {
    std::string key, name;
    bool existed = false;
    DWORD type = 0;
    std::string data;
};

SavedValue SaveValue(const std::string& key, const std::string& name)
{
    SavedValue saved;
    saved.key = key;
    saved.name = name;
    DWORD size = 0;
    if (RegGetValueA(
            HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &saved.type, nullptr, &size)
        != ERROR_SUCCESS)
        return saved;
    saved.data.resize(size);
    saved.existed = RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &saved.type,
                        saved.data.data(), &size)
        == ERROR_SUCCESS;
    saved.data.resize(size);
    return saved;
}

void RestoreValue(const SavedValue& saved)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, saved.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    if (saved.existed)
        RegSetValueExA(key, saved.name.c_str(), 0, saved.type, reinterpret_cast<const BYTE*>(saved.data.data()),
            DWORD(saved.data.size()));
    else
        RegDeleteValueA(key, saved.name.c_str());
    RegCloseKey(key);
}

} // namespace

std::string Sandbox::MakeTempFolder()
{
    char temp[MAX_PATH + 1] = {};
    if (!GetTempPathA(sizeof temp, temp))
        throw std::runtime_error("no temporary folder");
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = std::string(temp) + "kdx-test-" + std::to_string(random());
        if (CreateDirectoryA(folder.c_str(), nullptr))
            return folder;
    }
    throw std::runtime_error("cannot create a sandbox folder");
}

void Sandbox::EnterWorld()
{
    for (const auto& [key, name] : GuardedValues) {
        SavedValue saved = SaveValue(key, name);
        undo_.push_back([saved] { RestoreValue(saved); });
    }
    // The program file is the test program itself: the settings go to the sandbox through the
    // stored install folder instead.
    const auto product = platform::Native().registry->CreateKey(reg::ProductKey);
    if (!product || !product->SetString(reg::InstalledPathValue, InstallDir()))
        throw std::runtime_error("cannot point InstalledPath at the sandbox");
}

void Sandbox::SetProgramFile(const std::string&)
{
    throw std::logic_error("a Windows program's file name cannot be chosen by its test");
}

void Sandbox::SetEnv(const std::string& name, const std::string& value)
{
    if (!saved_.count(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        undo_.push_back([this, name] {
            const auto& old = saved_[name];
            _putenv_s(name.c_str(), old ? old->c_str() : "");
        });
    }
    _putenv_s(name.c_str(), value.c_str());
}

} // namespace kdx::test
