#include "TPublicUnit.h"
#include "platform/Platform.h"

#include <algorithm>
#include <vector>

namespace kdx {

void TPublicUnit::MinimizeWindows(platform::WindowHandle first)
{
    platform::IDesktopWindows* windows = platform::Current().desktopWindows;
    if (!windows)
        return;
    // The whole walk down the stacking order comes first, as on Windows, where the requests are
    // posted and act only after it: a window manager that restacks a window as it minimises it
    // must not turn the walk towards the windows above. A window met twice ends the walk.
    std::vector<platform::WindowHandle> visible, walked;
    for (platform::WindowHandle window = first; window != 0; window = windows->NextWindow(window)) {
        if (std::find(walked.begin(), walked.end(), window) != walked.end())
            break;
        walked.push_back(window);
        if (windows->IsWindowVisible(window))
            visible.push_back(window);
    }
    // Asked, not waited for: each window minimises in its own time.
    for (const platform::WindowHandle window : visible)
        windows->Minimize(window);
}

} // namespace kdx
