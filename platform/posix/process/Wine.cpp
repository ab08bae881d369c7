#include "Wine.h"

#include "Process.h"
#include "platform/posix/files/Paths.h"

namespace kdx::platform::posix {

std::string WineLoader()
{
    const std::string chosen = EnvOr("KALEIDRA_WINE", "");
    if (chosen == "none")
        return std::string();
    if (!chosen.empty())
        return FindProgram(chosen);
    for (const char* name : {"wine", "wine64", "/usr/lib/wine/wine64"}) {
        const std::string found = FindProgram(name);
        if (!found.empty())
            return found;
    }
    return std::string();
}

} // namespace kdx::platform::posix
