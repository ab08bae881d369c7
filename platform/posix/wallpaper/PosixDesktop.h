#pragma once
#include "GsettingsRoute.h"
#include "HyprlandRoute.h"
#include "PcmanfmRoute.h"
#include "PlasmaRoute.h"
#include "PortalRoute.h"
#include "RootWindowRoute.h"
#include "SwayRoute.h"
#include "SwaybgRoute.h"
#include "XfconfRoute.h"
#include "platform/Shell.h"

#include <map>

namespace kdx::platform::posix {

// Applies the registry stand-in's "Control Panel\DeskTop" values ("Wallpaper",
// "TileWallpaper", "WallpaperStyle") to the running desktop: the bitmap is handed over under a
// name of its own (HandedFile.h) to the first of the routes below that serves the session and
// takes it, in this order: GNOME family, Cinnamon, MATE (gsettings), XFCE (xfconf), KDE Plasma
// (D-Bus script), LXQt and LXDE (pcmanfm), sway (IPC), Hyprland (hyprctl), on Wayland the
// desktop portal then swaybg, and on X the root window. A "Wallpaper" that is missing or
// empty changes nothing.
class PosixDesktop final : public IDesktop {
public:
    PosixDesktop();
    WallpaperOutcome ApplyWallpaperSettings() override;
    // The session's monitors (DesktopMonitors.h).
    std::vector<Monitor> Monitors() override;
    // Each monitor's bitmap is handed under a name of its own to the first route, in the order
    // above, that serves the session and takes it: per monitor on XFCE, KDE Plasma, sway,
    // Hyprland, a swaybg of the agent's own and the X root window; the spanned picture on GNOME,
    // Cinnamon, MATE, LXQt and LXDE; the primary's picture on every monitor through the portal. A
    // monitor whose picture is not new keeps the name it was handed, unless another route took
    // this change.
    WallpaperOutcome ApplyMonitorWallpapers(const MonitorWallpapers& wallpapers) override;
    // Returns once the root window shows the last picture applied there.
    void WaitForDrawing() { root_.WaitForDrawing(); }

private:
    GsettingsRoute gnome_ {GsettingsRoute::Gnome()}, cinnamon_ {GsettingsRoute::Cinnamon()},
        mate_ {GsettingsRoute::Mate()};
    XfconfRoute xfce_;
    PlasmaRoute plasma_;
    PcmanfmRoute lxqt_ = PcmanfmRoute::Lxqt(), lxde_ = PcmanfmRoute::Lxde();
    SwayRoute sway_;
    HyprlandRoute hyprland_;
    PortalRoute portal_;
    SwaybgRoute swaybg_;
    RootWindowRoute root_;
    std::vector<IWallpaperRoute*> routes_;
    // The name each monitor's bitmap was last handed under, and the route that took it.
    std::map<std::string, std::string> handed_;
    IWallpaperRoute* monitorsRoute_ = nullptr;
};

// Hands each monitor of Wallpapers to the first of Routes that serves Session and takes them. A
// monitor that is not fresh keeps its name from Handed when the route is Last; Handed and Last
// then hold this change's.
WallpaperOutcome ShowMonitorWallpapers(const std::vector<IWallpaperRoute*>& routes, const DesktopSession& session,
    const MonitorWallpapers& wallpapers, std::map<std::string, std::string>& handed, IWallpaperRoute*& last);

// Hands Bitmap to the first of Routes that serves Session and takes it; when none does, the
// outcome says what each route that was tried answered.
WallpaperOutcome ShowWallpaper(const std::vector<IWallpaperRoute*>& routes, const DesktopSession& session,
    const std::string& bitmap, std::optional<WallpaperLayout> layout);

// The desktop's layout for the two style values: "TileWallpaper" "1" tiles; otherwise
// "WallpaperStyle" "2" stretches, "6" fits, "10" fills, "22" (span) stretches, and anything
// else centres, as Windows reads them. Nothing when both are empty: the style is left to the
// desktop (the X root window then centres).
std::optional<WallpaperLayout> LayoutOfValues(const std::string& tile, const std::string& style);

} // namespace kdx::platform::posix
