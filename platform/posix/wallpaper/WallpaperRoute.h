#pragma once
#include "platform/posix/session/DesktopSession.h"

#include <optional>
#include <string>
#include <vector>

namespace kdx::platform::posix {

// How a picture covers the screen.
enum class WallpaperLayout {
    Center, // at its own size in the middle, on black, cropped when larger
    Tile, // repeated from the top left corner
    Stretch, // scaled to the screen, proportions lost
    Fit, // scaled to fit whole, centred, on black
    Fill, // scaled to cover the screen, centred, cropped
};

// The picture a desktop is handed: a file holding the wallpaper bitmap, under a name not
// handed before (HandedFile.h), and the layout (none: the desktop's own).
struct HandedPicture {
    std::string file;
    std::optional<WallpaperLayout> layout;
};

// One way of showing the wallpaper on one kind of desktop, through that desktop's own interface.
class IWallpaperRoute {
public:
    virtual ~IWallpaperRoute() = default;
    // The desktop and the interface, as the user is told ("XFCE (xfconf-query)").
    virtual std::string Name() const = 0;
    // Whether the session is one this route serves.
    virtual bool AppliesTo(const DesktopSession& session) const = 0;
    // Hands the picture to the desktop: empty when the desktop took it, otherwise why not.
    virtual std::string Apply(const HandedPicture& picture) = 0;
};

// Runs a desktop's settings tool and waits for it (a tool that hangs is given up after five
// seconds); its exit status, -1 when it could not start or did not end in time.
int RunDesktopTool(const std::vector<std::string>& argv, std::string* output = nullptr);

// "TOOL is not installed" / "TOOL failed (exit status N)" / "TOOL did not answer": why a tool
// did not do its part.
std::string ToolMissing(const std::string& tool);
std::string ToolFailed(const std::string& tool, int status);

} // namespace kdx::platform::posix
