#include "DesktopSession.h"

#include "platform/AsciiCase.h"

#include <QCoreApplication>
#include <QVariant>

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The pid in "sway-ipc.<uid>.<pid>.sock" when uid is this user's; 0 otherwise.
long SwayPidOf(const std::string& name)
{
    const std::string prefix = "sway-ipc." + std::to_string(getuid()) + ".", suffix = ".sock";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stol(digits);
}

// Whether process Pid runs and is a sway (a socket left by one that crashed names a pid that may
// since be another program's).
bool SwayRuns(long pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(comm, name) && name == "sway";
}

} // namespace

std::string SessionDisplayName()
{
    std::string display = Env("WAYLAND_DISPLAY");
    if (display.empty()) {
        display = Env("DISPLAY");
        // ":0.0" is the display ":0" too: the screen number does not make another session.
        const size_t colon = display.rfind(':');
        const size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos)
            display.erase(dot);
    }
    // A Wayland display may be a path: only characters that keep the name one file name.
    for (char& c : display)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ':' && c != '.' && c != '-' && c != '_')
            c = '_';
    return display;
}

std::string SwaySocket()
{
    const std::string given = Env("SWAYSOCK");
    if (!given.empty())
        return given;
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty() || Env("WAYLAND_DISPLAY").empty())
        return {};
    DIR* dir = opendir(runtime.c_str());
    if (!dir)
        return {};
    std::string found;
    timespec newest {};
    while (const dirent* entry = readdir(dir)) {
        const long pid = SwayPidOf(entry->d_name);
        struct stat st { };
        const std::string path = runtime + "/" + entry->d_name;
        if (pid <= 0 || lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != getuid()
            || !SwayRuns(pid))
            continue;
        if (found.empty() || st.st_mtim.tv_sec > newest.tv_sec
            || (st.st_mtim.tv_sec == newest.tv_sec && st.st_mtim.tv_nsec > newest.tv_nsec)) {
            found = path;
            newest = st.st_mtim;
        }
    }
    closedir(dir);
    return found;
}

DesktopSession CurrentSession()
{
    DesktopSession session;
    // A colon-separated list, such as "ubuntu:GNOME".
    const std::string current = LowerAscii(Env("XDG_CURRENT_DESKTOP"));
    for (std::size_t begin = 0; begin < current.size();) {
        std::size_t end = current.find(':', begin);
        if (end == std::string::npos)
            end = current.size();
        if (end > begin)
            session.desktops.push_back(current.substr(begin, end - begin));
        begin = end + 1;
    }
    session.wayland = !Env("WAYLAND_DISPLAY").empty() || LowerAscii(Env("XDG_SESSION_TYPE")) == "wayland";
    session.swaySocket = SwaySocket();
    session.swayIpc = !session.swaySocket.empty();
    session.hyprland = !Env("HYPRLAND_INSTANCE_SIGNATURE").empty();
    return session;
}

bool DesktopSession::Is(std::initializer_list<std::string_view> names) const
{
    for (const std::string& desktop : desktops)
        for (const std::string_view name : names)
            if (desktop == name)
                return true;
    return false;
}

bool ApplicationOnDesktop()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString platform = app->property("platformName").toString();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace kdx::platform::posix
