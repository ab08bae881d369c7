#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// XFCE: xfdesktop's backdrops in the xfconf channel "xfce4-desktop", set with xfconf-query:
// "last-image" and "image-style" of every monitor and workspace the channel lists. xfdesktop
// watches the channel and loads each new picture.
class XfconfRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "XFCE (xfconf-query)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.Is({"xfce"}); }
    std::string Apply(const HandedPicture& picture) override;
    // Each monitor's backdrops (those under "monitor" + its output's name, or its own name when
    // it has no output) get its picture, stretched; the first is read back.
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;
};

// The "last-image" properties of the backdrops of the monitor xfdesktop calls Name, among the
// channel's listed properties.
std::vector<std::string> MonitorLastImages(const std::string& listing, const std::string& name);

} // namespace kdx::platform::posix
