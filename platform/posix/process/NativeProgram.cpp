#include "NativeProgram.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace kdx::platform::posix {

bool IsNativeProgram(const std::string& path)
{
    struct stat info { };
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(path.c_str(), X_OK) != 0)
        return false;
    char magic[2] = {};
    std::ifstream(path, std::ios::binary).read(magic, 2);
    return !(magic[0] == 'M' && magic[1] == 'Z');
}

} // namespace kdx::platform::posix
