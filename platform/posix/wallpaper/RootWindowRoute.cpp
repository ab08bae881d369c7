#include "RootWindowRoute.h"

#include "platform/posix/x11/X11Connection.h"
#include "platform/posix/x11/X11DesktopWindows.h"

namespace kdx::platform::posix {

namespace {

// Why the root window cannot be seen: empty when it can.
std::string Hidden()
{
    if (!X11Display())
        return "there is no X display";
    X11DesktopWindows windows;
    if (windows.IsWindowVisible(windows.FindDesktopIconsWindow()))
        return "a desktop window covers the X root window";
    return {};
}

} // namespace

std::string RootWindowRoute::Apply(const HandedPicture& picture)
{
    if (std::string hidden = Hidden(); !hidden.empty())
        return hidden;
    painter_.Paint(picture.file, picture.layout.value_or(WallpaperLayout::Center));
    return std::string();
}

MonitorsTaken RootWindowRoute::ApplyMonitors(const HandedMonitors& handed)
{
    if (std::string hidden = Hidden(); !hidden.empty())
        return {hidden, {}};
    Display* display = X11Display();
    const long width = DisplayWidth(display, DefaultScreen(display));
    const long height = DisplayHeight(display, DefaultScreen(display));
    std::vector<std::pair<std::string, Monitor>> bitmaps;
    MonitorsTaken taken;
    for (const HandedMonitor& m : handed.monitors) {
        bitmaps.emplace_back(m.bitmap, m.monitor);
        const bool onScreen = m.monitor.x < width && m.monitor.y < height && m.monitor.x + long(m.monitor.width) > 0
            && m.monitor.y + long(m.monitor.height) > 0;
        taken.monitors.push_back(
            {m.monitor.name, onScreen, onScreen ? Name() : "the monitor lies outside the X screen"});
    }
    // The whole root window is drawn anew: one picture of the whole screen.
    painter_.PaintMonitors(bitmaps);
    return taken;
}

} // namespace kdx::platform::posix
