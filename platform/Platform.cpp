#include "Platform.h"

namespace kdx::platform {

Services& Current()
{
    static Services current = Native();
    return current;
}

} // namespace kdx::platform
