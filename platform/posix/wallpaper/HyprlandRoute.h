#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// Hyprland with its wallpaper program hyprpaper: through hyprctl, the new picture is loaded,
// shown on every monitor, and the pictures no longer shown are let go. hyprpaper covers the
// screen with it whatever the layout.
class HyprlandRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "Hyprland (hyprctl hyprpaper)"; }
    bool AppliesTo(const DesktopSession& session) const override
    {
        return session.hyprland || session.Is({"hyprland"});
    }
    std::string Apply(const HandedPicture& picture) override;
};

} // namespace kdx::platform::posix
