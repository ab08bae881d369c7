#pragma once
#include "platform/Platform.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kdx::test {

// A private world for one test: a temporary folder holding an install folder and, on Linux,
// HOME and the XDG folders (so the registry stand-in, the Windows folder and autostart entries
// land there), with the install folder's program file reported as the running one. On Windows,
// where the registry and the program file cannot be redirected, the sandbox instead saves the
// registry values the agent writes, points "InstalledPath" at its install folder, and puts the
// saved values back at the end. Everything is put back and removed when the sandbox goes away.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    static constexpr char Sep = platform::PathDelim;

    const std::string& Root() const { return root_; }
    std::string InstallDir() const { return root_ + Sep + "install"; }
    std::string ProgramFile() const { return InstallDir() + Sep + "KDX3"; }
    std::string IniPath() const { return InstallDir() + Sep + "KDX.ini"; }
    std::string ConfigHome() const { return root_ + Sep + "config"; }
    std::string DataHome() const { return root_ + Sep + "data"; }

    // Points the platform at another program file (a folder of the test's choosing). Linux
    // only: a Windows program's file name is its own.
    void SetProgramFile(const std::string& path);
    void SetEnv(const std::string& name, const std::string& value);

    static std::string Read(const std::string& path);
    // Replaces the file, after dropping any copy the platform's profile functions cached.
    static void Write(const std::string& path, const std::string& bytes);
    static bool Exists(const std::string& path);

private:
    static std::string MakeTempFolder();
    void EnterWorld();
    void RemoveFiles();

    std::string root_;
    std::map<std::string, std::optional<std::string>> saved_;
    std::vector<std::function<void()>> undo_; // run last first when the sandbox goes away
};

} // namespace kdx::test
