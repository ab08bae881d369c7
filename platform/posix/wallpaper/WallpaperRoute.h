#pragma once
#include "platform/Shell.h"
#include "platform/posix/session/DesktopSession.h"

#include <functional>
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
    Span, // one picture over the bounding box of every monitor, each showing its part
};

// The picture a desktop is handed: a file holding the wallpaper bitmap, under a name not
// handed before (HandedFile.h), and the layout (none: the desktop's own).
struct HandedPicture {
    std::string file;
    std::optional<WallpaperLayout> layout;
};

// A change that gives each monitor its own picture as a desktop is handed it: each monitor's
// bitmap under a name of its own (HandedFile.h), Fresh when the desktop must be given it now
// rather than showing it already, the primary first; and the picture of the whole desktop for a
// desktop that has only one, made when first asked for (empty when it cannot be made).
using HandedMonitor = MonitorWallpaper;
using HandedMonitors = MonitorWallpapers;

// What a desktop did with such a change: empty Failure when it took it, and for each monitor
// whether it shows its picture now, as far as the desktop lets that be read back.
struct MonitorsTaken {
    std::string failure;
    std::vector<MonitorShown> monitors;
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
    // Gives each monitor its own picture. A desktop with one wallpaper (this default) is handed
    // the spanned picture, and each monitor shows its part of it where the desktop names that
    // picture afterwards (Names).
    virtual MonitorsTaken ApplyMonitors(const HandedMonitors& handed);

protected:
    // Whether the desktop names File as its picture now, read back from it; nothing where that
    // cannot be read.
    virtual std::optional<bool> Names(const std::string& /*file*/) { return std::nullopt; }
    // The routes that give every monitor the same picture: the primary's, which the others show
    // too, as the user is told.
    MonitorsTaken ApplyPrimaryOnly(const HandedMonitors& handed);
};

// Each monitor of Handed shown, or not shown for Why.
std::vector<MonitorShown> AllMonitors(const HandedMonitors& handed, bool shown, const std::string& why);

// Runs a desktop's settings tool and waits for it (a tool that hangs is given up after five
// seconds); its exit status, -1 when it could not start or did not end in time.
int RunDesktopTool(const std::vector<std::string>& argv, std::string* output = nullptr);

// "TOOL is not installed" / "TOOL failed (exit status N)" / "TOOL did not answer": why a tool
// did not do its part.
std::string ToolMissing(const std::string& tool);
std::string ToolFailed(const std::string& tool, int status);

} // namespace kdx::platform::posix
