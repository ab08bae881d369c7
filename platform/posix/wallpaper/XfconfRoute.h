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
};

} // namespace kdx::platform::posix
