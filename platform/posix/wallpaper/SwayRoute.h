#pragma once
#include "WallpaperRoute.h"
#include <map>

namespace kdx::platform::posix {

// sway: the command "output * bg FILE MODE" over its IPC socket (swaymsg), which restarts the
// background program of every output with the new picture. The socket is $SWAYSOCK or, where
// the agent was started without it, the one of this user's running sway (SwaySocket).
class SwayRoute final : public IWallpaperRoute {
public:
    std::string Name() const override { return "sway (swaymsg)"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.swayIpc || session.Is({"sway"}); }
    std::string Apply(const HandedPicture& picture) override;
    // "output NAME bg FILE stretch" for each monitor, then read back from the background program
    // sway runs (its swaybg's arguments).
    MonitorsTaken ApplyMonitors(const HandedMonitors& handed) override;
};

// The picture for each output in a swaybg command line ("-o NAME -i FILE ..."), by output name.
std::map<std::string, std::string> SwaybgPictures(const std::vector<std::string>& arguments);

// sway's and swaybg's name for a layout (the desktop's own choice: "fill").
const char* SwaybgMode(std::optional<WallpaperLayout> layout);
// The sway command SwayRoute sends.
std::string SwayCommand(const HandedPicture& picture);

} // namespace kdx::platform::posix
