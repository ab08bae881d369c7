#include "PlasmaRoute.h"

#include "platform/posix/dbus/SessionBus.h"
#include "platform/posix/files/Paths.h"

#include <algorithm>
#include <map>
#include <sstream>

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

std::string PlasmaMonitorsScript(const HandedMonitors& handed)
{
    std::ostringstream want;
    for (const HandedMonitor& m : handed.monitors)
        if (m.fresh)
            want << (want.tellp() > 0 ? ", " : "") << "[" << m.monitor.x << ", " << m.monitor.y << ", '"
                 << FileUri(m.bitmap) << "']";
    return "var want = [" + want.str()
        + "];\n"
          "var all = desktops();\n"
          "if (all.length == 0) throw new Error('no desktop');\n"
          "for (var i = 0; i < all.length; ++i) {\n"
          "    var d = all[i];\n"
          "    if (d.screen < 0) continue;\n"
          "    var g = screenGeometry(d.screen);\n"
          "    for (var j = 0; j < want.length; ++j) {\n"
          "        if (want[j][0] != g.x || want[j][1] != g.y) continue;\n"
          "        d.wallpaperPlugin = 'org.kde.image';\n"
          "        d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
          "        d.writeConfig('Image', want[j][2]);\n"
          "        d.writeConfig('FillMode', "
        + std::to_string(FillMode(WallpaperLayout::Stretch))
        + ");\n"
          "    }\n"
          "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
          "    print(g.x + ',' + g.y + ' ' + d.readConfig('Image') + '\\n');\n"
          "}\n";
}

MonitorsTaken PlasmaRoute::ApplyMonitors(const HandedMonitors& handed)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(PlasmaMonitorsScript(handed));
    const QDBusMessage reply = CallOnSessionBus(call);
    if (const std::string error = CallError(reply); !error.empty())
        return {"plasmashell: " + error, {}};
    const QString printed = reply.arguments().isEmpty() ? QString() : reply.arguments().front().toString();
    // Each screen's pictures, by the place of the screen.
    std::multimap<std::string, std::string> shown;
    for (const QString& line : printed.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0)
            shown.emplace(line.left(blank).trimmed().toStdString(), line.mid(blank + 1).trimmed().toStdString());
    }
    MonitorsTaken taken;
    for (const HandedMonitor& m : handed.monitors) {
        const auto [first, last] = shown.equal_range(std::to_string(m.monitor.x) + "," + std::to_string(m.monitor.y));
        const std::string uri = FileUri(m.bitmap);
        const bool found = first != last;
        const bool all = found && std::all_of(first, last, [&uri](const auto& entry) { return entry.second == uri; });
        taken.monitors.push_back({m.monitor.name, all,
            all          ? Name()
                : !found ? "Plasma has no desktop on a screen at the monitor's place"
                         : "Plasma's desktop there shows " + first->second + " instead"});
    }
    return taken;
}

} // namespace kdx::platform::posix
