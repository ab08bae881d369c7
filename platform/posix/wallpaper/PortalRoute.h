#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// A Wayland desktop without a route of its own: the XDG desktop portal's Wallpaper interface
// (org.freedesktop.portal.Wallpaper.SetWallpaperURI), without its preview dialog, for the
// background. The portal has no layout option: the desktop keeps its own. The call answers with a
// request at once; the desktop's Response (waited for, at most ten seconds, CallPortalRequest)
// says whether it took the picture, and a refusal or a cancel sends the picture to the next route.
// A portal whose backends offer no Wallpaper refuses the call itself.
class PortalRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "the desktop portal (org.freedesktop.portal.Wallpaper)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.wayland; }
    std::string Apply(const HandedPicture& picture) override;
    // One picture for every monitor: the primary's.
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override { return ApplyPrimaryOnly(handed); }
};

} // namespace kdx::platform::posix
