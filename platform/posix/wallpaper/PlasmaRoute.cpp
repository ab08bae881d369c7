#include "PlasmaRoute.h"

#include "platform/posix/dbus/SessionBus.h"
#include "platform/posix/files/Paths.h"

namespace kdx::platform::posix {

namespace {

// The image plugin's FillMode: Qt Quick's Image fill modes.
int FillMode(WallpaperLayout layout)
{
    switch (layout) {
    case WallpaperLayout::Stretch:
        return 0; // Stretch
    case WallpaperLayout::Fit:
        return 1; // PreserveAspectFit
    case WallpaperLayout::Fill:
        return 2; // PreserveAspectCrop
    case WallpaperLayout::Tile:
        return 3; // Tile
    default:
        return 6; // Pad: centred at its own size
    }
}

} // namespace

std::string PlasmaScript(const std::string& fileUri, std::optional<WallpaperLayout> layout)
{
    // A file URI holds no quote or backslash (FileUri encodes them).
    std::string script = "var all = desktops();\n"
                         "if (all.length == 0) throw new Error('no desktop');\n"
                         "for (var i = 0; i < all.length; ++i) {\n"
                         "    var d = all[i];\n"
                         "    d.wallpaperPlugin = 'org.kde.image';\n"
                         "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
                         "    d.writeConfig('Image', '"
        + fileUri + "');\n";
    if (layout)
        script += "    d.writeConfig('FillMode', " + std::to_string(FillMode(*layout)) + ");\n";
    return script + "}\n";
}

std::string PlasmaRoute::Apply(const HandedPicture& picture)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(PlasmaScript(FileUri(picture.file), picture.layout));
    const std::string error = CallError(CallOnSessionBus(call));
    return error.empty() ? error : "plasmashell: " + error;
}

} // namespace kdx::platform::posix
