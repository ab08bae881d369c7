#pragma once
#include "WallpaperRoute.h"

namespace kdx::platform::posix {

// A desktop whose background lives in a GSettings schema.
struct GsettingsSchema {
    std::string name; // the desktop, as the user is told
    std::vector<std::string> desktops; // $XDG_CURRENT_DESKTOP items it serves, lower case
    std::string schema;
    std::string pictureKey;
    bool pictureIsUri; // a file:// URI, or a plain path
    std::string darkKey; // the picture for the dark style (GNOME 42 on), or empty
};

// The GNOME family (GNOME, Ubuntu, Unity, Budgie, Pantheon), Cinnamon and MATE: `gsettings set`
// on the picture, the dark style's picture where the schema has one, and "picture-options".
// The desktop reads the values through dconf and acts on each change.
class GsettingsRoute final : public IWallpaperRoute {
public:
    explicit GsettingsRoute(GsettingsSchema schema) : schema_(std::move(schema)) { }
    static GsettingsSchema Gnome();
    static GsettingsSchema Cinnamon();
    static GsettingsSchema Mate();

    std::string Name() const override { return schema_.name + " (gsettings)"; }
    bool AppliesTo(const DesktopSession& session) const override;
    std::string Apply(const HandedPicture& picture) override;

protected:
    std::optional<bool> Names(const std::string& file) override;

private:
    GsettingsSchema schema_;
};

} // namespace kdx::platform::posix
