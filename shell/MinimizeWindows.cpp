#include "TPublicUnit.h"
#include "platform/Platform.h"

namespace kdx {

void TPublicUnit::MinimizeWindows(platform::WindowHandle first)
{
    platform::IDesktopWindows* windows = platform::Current().desktopWindows;
    if (!windows)
        return;
    // Asked, not waited for: each window minimises in its own time.
    for (platform::WindowHandle window = first; window != 0; window = windows->NextWindow(window))
        if (windows->IsWindowVisible(window))
            windows->Minimize(window);
}

} // namespace kdx
