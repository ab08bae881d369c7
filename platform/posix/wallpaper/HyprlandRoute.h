#pragma once
#include "WallpaperRoute.h"
#include <map>

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
    // Each monitor its own picture ("wallpaper NAME,FILE"), read back with "listactive".
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;
};

// hyprpaper's "listactive" answer ("NAME = FILE" lines) by monitor name.
std::map<std::string, std::string> HyprpaperActive(const std::string& answer);

} // namespace kdx::platform::posix
