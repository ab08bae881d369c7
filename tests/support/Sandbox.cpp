#include "Sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace kdx::test {

Sandbox::Sandbox() : root_(MakeTempFolder())
{
    fs::create_directories(InstallDir());
    fs::create_directories(ConfigHome());
    fs::create_directories(DataHome());
    EnterWorld();
}

Sandbox::~Sandbox()
{
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it)
        (*it)();
    RemoveFiles();
}

void Sandbox::RemoveFiles()
{
    std::error_code ec;
    // Give back write permission that a test took away, so everything can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
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
    platform::Native().profile->Flush(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Sandbox::Exists(const std::string& path) { return fs::exists(path); }

} // namespace kdx::test
