#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// KDE Plasma 5 and 6: a script handed to plasmashell over D-Bus
// (org.kde.PlasmaShell.evaluateScript) that gives every desktop containment the picture
// wallpaper plugin with this picture and fill mode. Plasma stores it and redraws at once.
class PlasmaRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "KDE Plasma (plasmashell over D-Bus)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.Is({"kde"}); }
    std::string Apply(const HandedPicture& picture) override;
    // The desktop of each screen its monitor's picture, the screen found by where it lies; each
    // screen's picture is printed back by the same script.
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;
};

// The script ApplyMonitors sends: for each screen at a monitor's place that is fresh, its
// desktops get that picture; then one line "X,Y URI" per desktop on a screen.
std::string PlasmaMonitorsScript(const HandedMonitors& handed);

// The script PlasmaRoute sends; it fails when plasmashell has no desktop containment.
std::string PlasmaScript(const std::string& fileUri, std::optional<WallpaperLayout> layout);

} // namespace kdx::platform::posix
