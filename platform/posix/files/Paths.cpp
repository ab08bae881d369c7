#include "Paths.h"

#include "FileText.h"

#include <cstdlib>
#include <unistd.h>

namespace kdx::platform::posix {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string ConfigHome() { return EnvOr("XDG_CONFIG_HOME", EnvOr("HOME", "/tmp") + "/.config"); }

std::string DataHome() { return EnvOr("XDG_DATA_HOME", EnvOr("HOME", "/tmp") + "/.local/share"); }

std::string UserDataFolder()
{
    const std::string folder = DataHome() + "/kaleidra-agent";
    return MakeFolders(folder) ? folder : std::string();
}

std::string RuntimeFolder()
{
    const std::string runtime = EnvOr("XDG_RUNTIME_DIR", "");
    return runtime.empty() ? UserDataFolder() : runtime;
}

std::string CurrentFolder()
{
    char buf[4096];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    const std::string cwd = CurrentFolder();
    return cwd.empty() ? path : cwd + "/" + path;
}

std::string FileUri(const std::string& path)
{
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char c : AbsolutePath(path)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += char(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

} // namespace kdx::platform::posix
