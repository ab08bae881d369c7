#include "Sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kdx::test {

std::string Sandbox::MakeTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kdx-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a sandbox folder");
    return pattern;
}

void Sandbox::EnterWorld()
{
    SetEnv("HOME", root_);
    SetEnv("XDG_CONFIG_HOME", ConfigHome());
    SetEnv("XDG_DATA_HOME", DataHome());
    // The session's runtime folder holds the global atom table and the agent's rendezvous.
    const std::string runtime = root_ + "/runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    SetEnv("XDG_RUNTIME_DIR", runtime);
    SetProgramFile(ProgramFile());
    // The wallpaper goes to the desktop these name: never the user's own. A test that wants a
    // desktop names its own.
    for (const char* name :
        {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "WAYLAND_DISPLAY", "SWAYSOCK", "HYPRLAND_INSTANCE_SIGNATURE"})
        SetEnv(name, "");
}

void Sandbox::SetProgramFile(const std::string& path) { SetEnv("KALEIDRA_PROGRAM_FILE", path); }

void Sandbox::SetEnv(const std::string& name, const std::string& value)
{
    if (!saved_.count(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        undo_.push_back([this, name] {
            if (const auto& old = saved_[name])
                setenv(name.c_str(), old->c_str(), 1);
            else
                unsetenv(name.c_str());
        });
    }
    setenv(name.c_str(), value.c_str(), 1);
}

} // namespace kdx::test
