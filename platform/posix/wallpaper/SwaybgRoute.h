#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// Other wlroots compositors (and sway without its IPC): a swaybg of the agent's own draws the
// picture on every output through the compositor's layer-shell, and replaces the one started
// for the change before. A compositor without layer-shell makes swaybg end at once, which
// fails the route. The last swaybg stays after the agent ends, so the picture does too; the
// next run ends it once its own shows, so the session never has more than one of them.
// The swaybg programs of this user that show a picture this session handed out (named like
// Picture, HandedFile.h), whoever started them.
std::vector<int> SessionSwaybgs(const std::string& picture);

class SwaybgRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "a Wayland background (swaybg)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.wayland; }
    std::string Apply(const HandedPicture& picture) override;
    // One swaybg for all outputs, each named with its own picture ("-o NAME -i FILE").
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;

private:
    // Starts swaybg with Arguments in place of the one running: empty, or why it did not stay.
    std::string Replace(const std::vector<std::string>& arguments);

    int running_ = -1; // the swaybg showing the last picture
};

} // namespace kdx::platform::posix
