#include "DesktopMonitors.h"

#include "WallpaperRoute.h"
#include "platform/posix/process/Process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace kdx::platform::posix {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;
template <typename Reply> Owned<Reply> Own(Reply* reply) { return Owned<Reply>(reply, &std::free); }

std::string AtomName(xcb_connection_t* c, xcb_atom_t atom)
{
    const auto reply = Own(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    return reply
        ? std::string(xcb_get_atom_name_name(reply.get()), std::size_t(xcb_get_atom_name_name_length(reply.get())))
        : std::string();
}

std::string OutputName(xcb_connection_t* c, xcb_randr_output_t output)
{
    const auto reply
        = Own(xcb_randr_get_output_info_reply(c, xcb_randr_get_output_info(c, output, XCB_CURRENT_TIME), nullptr));
    if (!reply)
        return {};
    return std::string(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(reply.get())),
        std::size_t(xcb_randr_get_output_info_name_length(reply.get())));
}

// Whether a transform turns the picture on its side: sway names them "90", "flipped-90", ...,
// Hyprland numbers them 0 to 7, the odd ones turned.
bool Turned(const QJsonValue& transform)
{
    if (transform.isDouble())
        return transform.toInt() % 2 == 1;
    const QString name = transform.toString();
    return name.endsWith(QLatin1String("90")) || name.endsWith(QLatin1String("270"));
}

QJsonArray ArrayOf(const std::string& json) { return QJsonDocument::fromJson(QByteArray::fromStdString(json)).array(); }

} // namespace

void OrderMonitors(std::vector<Monitor>& monitors)
{
    if (monitors.empty())
        return;
    if (std::none_of(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; })) {
        const auto origin
            = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.x == 0 && m.y == 0; });
        (origin == monitors.end() ? monitors.front() : *origin).primary = true;
    }
    std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
        if (a.primary != b.primary)
            return a.primary;
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    // Only one counts as primary.
    for (std::size_t i = 1; i < monitors.size(); ++i)
        monitors[i].primary = false;
}

std::vector<Monitor> X11Monitors()
{
    std::vector<Monitor> monitors;
    // Not from the tests' offscreen applications, which must not find a real desktop.
    if (!ApplicationOnDesktop())
        return monitors;
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, Disconnect> connection(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c))
        return monitors;
    const auto version = Own(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 5))
        return monitors;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return monitors;
    const auto reply = Own(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, screens.data->root, 1), nullptr));
    if (!reply)
        return monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        Monitor monitor;
        monitor.name = AtomName(c, info.name);
        monitor.x = info.x;
        monitor.y = info.y;
        monitor.width = info.width;
        monitor.height = info.height;
        monitor.primary = info.primary;
        if (xcb_randr_monitor_info_outputs_length(it.data) > 0)
            monitor.output = OutputName(c, xcb_randr_monitor_info_outputs(it.data)[0]);
        if (monitor.width && monitor.height)
            monitors.push_back(monitor);
    }
    OrderMonitors(monitors);
    return monitors;
}

std::vector<Monitor> SwayOutputs(const std::string& json)
{
    std::vector<Monitor> monitors;
    for (const QJsonValue& value : ArrayOf(json)) {
        const QJsonObject output = value.toObject();
        if (!output.value("active").toBool(true))
            continue;
        const QJsonObject rect = output.value("rect").toObject(), mode = output.value("current_mode").toObject();
        Monitor monitor;
        monitor.name = output.value("name").toString().toStdString();
        monitor.x = rect.value("x").toInt();
        monitor.y = rect.value("y").toInt();
        monitor.width = unsigned(mode.value("width").toInt(rect.value("width").toInt()));
        monitor.height = unsigned(mode.value("height").toInt(rect.value("height").toInt()));
        if (Turned(output.value("transform")))
            std::swap(monitor.width, monitor.height);
        monitor.primary = output.value("primary").toBool(false);
        if (!monitor.name.empty() && monitor.width && monitor.height)
            monitors.push_back(monitor);
    }
    OrderMonitors(monitors);
    return monitors;
}

std::vector<Monitor> HyprlandMonitors(const std::string& json)
{
    std::vector<Monitor> monitors;
    for (const QJsonValue& value : ArrayOf(json)) {
        const QJsonObject object = value.toObject();
        if (object.value("disabled").toBool(false))
            continue;
        Monitor monitor;
        monitor.name = object.value("name").toString().toStdString();
        monitor.x = object.value("x").toInt();
        monitor.y = object.value("y").toInt();
        monitor.width = unsigned(object.value("width").toInt());
        monitor.height = unsigned(object.value("height").toInt());
        if (Turned(object.value("transform")))
            std::swap(monitor.width, monitor.height);
        if (!monitor.name.empty() && monitor.width && monitor.height)
            monitors.push_back(monitor);
    }
    OrderMonitors(monitors);
    return monitors;
}

std::vector<Monitor> SessionMonitors(const DesktopSession& session)
{
    std::string answer;
    if (session.swayIpc || session.Is({"sway"})) {
        const std::string swaymsg = FindProgram("swaymsg");
        if (!swaymsg.empty() && RunDesktopTool({swaymsg, "-r", "-t", "get_outputs"}, &answer) == 0)
            return SwayOutputs(answer);
        return {};
    }
    if (session.hyprland || session.Is({"hyprland"})) {
        const std::string hyprctl = FindProgram("hyprctl");
        if (!hyprctl.empty() && RunDesktopTool({hyprctl, "monitors", "-j"}, &answer) == 0)
            return HyprlandMonitors(answer);
        return {};
    }
    return session.wayland ? std::vector<Monitor>() : X11Monitors();
}

} // namespace kdx::platform::posix
