#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// LXQt and LXDE: their desktop is drawn by the file manager (pcmanfm-qt, pcmanfm), whose
// running instance takes "--set-wallpaper FILE --wallpaper-mode MODE" from a second start.
class PcmanfmRoute final : public IWallpaperRoute {
public:
    // pcmanfm-qt lays a stretched picture over all monitors at once; pcmanfm has a mode for it.
    static PcmanfmRoute Lxqt() { return PcmanfmRoute("LXQt", "lxqt", "pcmanfm-qt", "zoom", "stretch"); }
    static PcmanfmRoute Lxde() { return PcmanfmRoute("LXDE", "lxde", "pcmanfm", "crop", "screen"); }

    std::string Name() const override { return desktopName_ + " (" + program_ + ")"; }
    bool AppliesTo(const DesktopSession& session) const override { return session.Is({desktop_}); }
    std::string Apply(const HandedPicture& picture) override;

private:
    PcmanfmRoute(
        std::string desktopName, std::string desktop, std::string program, std::string fillMode, std::string spanMode)
        : desktopName_(std::move(desktopName)),
          desktop_(std::move(desktop)),
          program_(std::move(program)),
          fillMode_(std::move(fillMode)),
          spanMode_(std::move(spanMode))
    {
    }
    std::string desktopName_, desktop_, program_;
    std::string fillMode_, spanMode_; // the two programs' names differ only for these
};

} // namespace kdx::platform::posix
