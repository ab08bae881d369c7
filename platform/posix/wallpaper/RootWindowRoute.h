#pragma once
#include "WallpaperRoute.h"
#include "X11RootWallpaper.h"

namespace kdx::platform::posix {

// A plain X session, the last resort: the picture drawn on the X root window (X11RootWallpaper.h)
// while the agent goes on. Not in a Wayland session, whose X server (XWayland) nobody sees, and
// not when a desktop's own window covers the root window.
class RootWindowRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "the X root window"; }
    bool AppliesTo(const DesktopSession& session) const override { return !session.wayland; }
    std::string Apply(const HandedPicture& picture) override;
    // Each monitor's picture on its part of the root window, black between them.
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;
    // Returns once the root window shows the last picture applied there.
    void WaitForDrawing() { painter_.Wait(); }

private:
    RootPainter painter_;
};

} // namespace kdx::platform::posix
