#include "Sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kdx::test {

Sandbox::Sandbox()
{
    std::string pattern = (fs::temp_directory_path() / "kdx-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a sandbox folder");
    root_ = pattern;
    fs::create_directories(InstallDir());
    fs::create_directories(ConfigHome());
    fs::create_directories(DataHome());
    SetEnv("HOME", root_);
    SetEnv("XDG_CONFIG_HOME", ConfigHome());
    SetEnv("XDG_DATA_HOME", DataHome());
    SetProgramFile(ProgramFile());
}

Sandbox::~Sandbox()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ec;
    // Give back write permission that a test took away, so everything can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

void Sandbox::SetProgramFile(const std::string& path) { SetEnv("KALEIDRA_PROGRAM_FILE", path); }

void Sandbox::SetEnv(const std::string& name, const std::string& value)
{
    if (!saved_.count(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
}

std::string Sandbox::Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Sandbox::Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Sandbox::Exists(const std::string& path) { return fs::exists(path); }

} // namespace kdx::test
