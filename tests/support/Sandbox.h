#pragma once
#include <map>
#include <optional>
#include <string>

namespace kdx::test {

// A private world for one test: a temporary folder holding HOME, the XDG folders (so the
// registry stand-in, the Windows folder and autostart entries land there) and an install
// folder whose program file the platform reports as the running one. Everything is put back
// and removed when the sandbox goes away.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& Root() const { return root_; }
    std::string InstallDir() const { return root_ + "/install"; }
    std::string ProgramFile() const { return InstallDir() + "/KDX3"; }
    std::string IniPath() const { return InstallDir() + "/KDX.ini"; }
    std::string ConfigHome() const { return root_ + "/config"; }
    std::string DataHome() const { return root_ + "/data"; }

    // Points the platform at another program file (a folder of the test's choosing).
    void SetProgramFile(const std::string& path);
    void SetEnv(const std::string& name, const std::string& value);

    static std::string Read(const std::string& path);
    static void Write(const std::string& path, const std::string& bytes);
    static bool Exists(const std::string& path);

private:
    std::string root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace kdx::test
