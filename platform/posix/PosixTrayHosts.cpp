#include "PosixTrayHosts.h"

namespace kdx::platform::posix {

ITrayHost* PosixTrayHosts::Find()
{
    for (ITrayHost* host : {static_cast<ITrayHost*>(&statusNotifier_), static_cast<ITrayHost*>(&xembed_)})
        if (host->Present())
            return host;
    return nullptr;
}

void PosixTrayHosts::Watch(std::function<void()> changed)
{
    statusNotifier_.Watch(changed);
    xembed_.Watch(std::move(changed));
}

} // namespace kdx::platform::posix
