#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// A Wayland desktop without a route of its own: the XDG desktop portal's Wallpaper interface
// (org.freedesktop.portal.Wallpaper.SetWallpaperURI), without its preview dialog, for the
// background. The portal has no layout option: the desktop keeps its own. Success is the
// portal accepting the request; a portal whose backends offer no Wallpaper refuses the call.
class PortalRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "the desktop portal (org.freedesktop.portal.Wallpaper)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.wayland; }
    std::string Apply(const HandedPicture& picture) override;
    // One picture for every monitor: the primary's.
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override { return ApplyPrimaryOnly(handed); }
};

} // namespace kdx::platform::posix
