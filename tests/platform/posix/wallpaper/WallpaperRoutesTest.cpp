// The wallpaper routes on Linux: which desktop gets which interface, the names the desktop is
// handed, and what the user learns when nothing shows the picture. The desktops' tools are
// stand-ins on PATH that log how they were called; the real desktops are the end-to-end tests
// beside this file.
#include "platform/Platform.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/wallpaper/DesktopMonitors.h"
#include "platform/posix/wallpaper/HandedFile.h"
#include "platform/posix/wallpaper/HyprlandRoute.h"
#include "platform/posix/wallpaper/PosixDesktop.h"
#include "platform/posix/wallpaper/SwayRoute.h"
#include "support/FakePrograms.h"
#include "support/Sandbox.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kdx;
using namespace kdx::platform::posix;
using kdx::test::Sandbox;
using Args = std::vector<std::string>;

namespace {

class WallpaperRoutes : public ::testing::Test {
protected:
    Sandbox box;
    kdx::test::FakePrograms programs {box};
    std::string windows = box.DataHome() + "/kaleidra-agent";
    std::string bitmap = windows + "/KAWalllpaper.bmp";
    PosixDesktop desktop;

    void SetUp() override
    {
        std::filesystem::create_directories(windows);
        Sandbox::Write(bitmap, "BM picture one");
        // No X server and no session bus: nothing outside the sandbox can be reached.
        box.SetEnv("DISPLAY", "");
        box.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + box.Root() + "/no-bus");
        Values(bitmap, "0", "2");
    }

    void Values(const std::string& wallpaper, const std::string& tile, const std::string& style)
    {
        auto key = platform::Native().registry->OpenKey(platform::desktop::Key);
        ASSERT_TRUE(key);
        key->SetString("Wallpaper", wallpaper);
        key->SetString("TileWallpaper", tile);
        key->SetString("WallpaperStyle", style);
    }

    platform::WallpaperOutcome Apply(const std::string& currentDesktop)
    {
        box.SetEnv("XDG_CURRENT_DESKTOP", currentDesktop);
        return desktop.ApplyWallpaperSettings();
    }

    std::vector<std::string> Calls() { return programs.Calls(0); }

    // The names handed out that are still there.
    std::vector<std::string> Handed()
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(windows))
            if (entry.path().filename().string().rfind("KAWalllpaper-", 0) == 0)
                found.push_back(entry.path().string());
        return found;
    }

    // Calls with "@" standing for the one name handed out.
    std::vector<std::string> WithHanded(std::vector<std::string> calls)
    {
        const auto handed = Handed();
        EXPECT_EQ(handed.size(), 1u);
        for (std::string& call : calls)
            for (std::size_t at; !handed.empty() && (at = call.find('@')) != std::string::npos;)
                call.replace(at, 1, handed[0]);
        return calls;
    }
};

TEST_F(WallpaperRoutes, EachDesktopIsHandedThePictureThroughItsOwnInterface)
{
    programs.Fake("gsettings");
    programs.Fake("xfconf-query", "[ \"$3\" = -l ] && echo /backdrop/screen0/monitorscreen/workspace0/last-image");
    programs.Fake("pcmanfm-qt");
    programs.Fake("pcmanfm");
    programs.Fake("swaymsg");
    programs.Fake("hyprctl", "echo ok");
    const std::string uri = "file://@";
    const std::string xfce = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitorscreen/workspace0/";
    const struct {
        const char* desktop;
        const char* route;
        Args calls;
    } cases[] = {
        {"ubuntu:GNOME", "GNOME (gsettings)",
            {"gsettings|set|org.gnome.desktop.background|picture-uri|" + uri + "|",
                "gsettings|set|org.gnome.desktop.background|picture-uri-dark|" + uri + "|",
                "gsettings|set|org.gnome.desktop.background|picture-options|stretched|"}},
        {"Budgie:GNOME", "GNOME (gsettings)", {}},
        {"X-Cinnamon", "Cinnamon (gsettings)",
            {"gsettings|set|org.cinnamon.desktop.background|picture-uri|" + uri + "|",
                "gsettings|set|org.cinnamon.desktop.background|picture-options|stretched|"}},
        {"MATE", "MATE (gsettings)",
            {"gsettings|set|org.mate.background|picture-filename|@|",
                "gsettings|set|org.mate.background|picture-options|stretched|"}},
        {"XFCE", "XFCE (xfconf-query)",
            {"xfconf-query|-c|xfce4-desktop|-l|", xfce + "last-image|-n|-t|string|-s|@|",
                xfce + "image-style|-n|-t|int|-s|3|"}},
        {"LXQt", "LXQt (pcmanfm-qt)", {"pcmanfm-qt|--set-wallpaper|@|--wallpaper-mode|stretch|"}},
        {"LXDE", "LXDE (pcmanfm)", {"pcmanfm|--set-wallpaper|@|--wallpaper-mode|stretch|"}},
        {"sway", "sway (swaymsg)", {"swaymsg|--|output * bg \"@\" stretch|"}},
        {"Hyprland", "Hyprland (hyprctl hyprpaper)",
            {"hyprctl|hyprpaper|preload|@|", "hyprctl|hyprpaper|wallpaper|,@|", "hyprctl|hyprpaper|unload|unused|"}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(programs.Log());
        const platform::WallpaperOutcome outcome = Apply(c.desktop);
        EXPECT_TRUE(outcome.shown) << c.desktop << ": " << outcome.detail;
        EXPECT_EQ(outcome.detail, c.route) << c.desktop;
        if (!c.calls.empty()) {
            EXPECT_EQ(Calls(), WithHanded(c.calls)) << c.desktop;
        }
    }
}

TEST_F(WallpaperRoutes, StylesMapToEachDesktopsNearestOption)
{
    programs.Fake("gsettings");
    programs.Fake("swaymsg");
    const struct {
        const char *tile, *style, *gnome, *sway;
    } styles[] = {{"0", "0", "centered", "center"}, {"1", "0", "wallpaper", "tile"}, {"0", "2", "stretched", "stretch"},
        {"0", "6", "scaled", "fit"}, {"0", "10", "zoom", "fill"}};
    for (const auto& s : styles) {
        Values(bitmap, s.tile, s.style);
        std::filesystem::remove(programs.Log());
        Apply("GNOME");
        Apply("sway");
        const Args calls = Calls();
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_EQ(calls[2].substr(calls[2].rfind("picture-options|")), std::string("picture-options|") + s.gnome + "|");
        EXPECT_EQ(calls[3].substr(calls[3].rfind("\" ")), std::string("\" ") + s.sway + "|");
    }
    // Empty style values leave the desktop's own option alone.
    Values(bitmap, "", "");
    std::filesystem::remove(programs.Log());
    Apply("GNOME");
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(WallpaperRoutes, EachChangeHandsTheDesktopANameItWasNeverHanded)
{
    programs.Fake("gsettings");
    std::vector<std::string> handed;
    for (const char* content : {"BM picture one", "BM picture two", "BM picture three"}) {
        Sandbox::Write(bitmap, content);
        std::filesystem::remove(programs.Log());
        ASSERT_TRUE(Apply("GNOME").shown);
        const std::string call = Calls().at(0);
        handed.push_back(call.substr(call.find("file://") + 7, call.size() - call.find("file://") - 8));
        EXPECT_EQ(Sandbox::Read(handed.back()), content) << "the desktop is handed the new picture";
        EXPECT_EQ(Sandbox::Read(bitmap), content) << "the bitmap stays where it is";
    }
    // GNOME keeps the pictures it loaded by their names: a name handed again would show an old
    // one. Numbered after the clock, so an emptied folder starts no second row of old names.
    const auto number = [&](const std::string& name) { return std::stoull(name.substr(windows.size() + 14)); };
    EXPECT_GE(number(handed[0]), static_cast<unsigned long long>(std::time(nullptr)) - 60);
    EXPECT_EQ(number(handed[1]), number(handed[0]) + 1) << "past the last one within a second";
    EXPECT_EQ(number(handed[2]), number(handed[0]) + 2);
    EXPECT_FALSE(Sandbox::Exists(handed[0]) || Sandbox::Exists(handed[1])) << "the names no desktop shows any more go";
    auto key = platform::Native().registry->OpenKey(platform::desktop::Key);
    EXPECT_EQ(key->QueryString("Wallpaper").value, bitmap) << "the registry value is untouched";
}

TEST_F(WallpaperRoutes, NumberingGoesOnFromWhatAnEarlierRunLeft)
{
    Sandbox::Write(windows + "/KAWalllpaper-99999999041.bmp", "shown by the desktop");
    Sandbox::Write(windows + "/KAWalllpaper-7.bmp", "left by an interrupted change");
    Sandbox::Write(windows + "/KAWalllpaper-x.bmp", "not ours");
    const std::string next = windows + "/KAWalllpaper-99999999042.bmp";
    EXPECT_EQ(MakeHandedFile(bitmap), next);
    EXPECT_EQ(Sandbox::Read(next), "BM picture one");
    EXPECT_TRUE(Sandbox::Exists(windows + "/KAWalllpaper-99999999041.bmp"))
        << "not before the desktop took the new one";
    DropOtherHandedFiles(bitmap, next);
    EXPECT_FALSE(Sandbox::Exists(windows + "/KAWalllpaper-99999999041.bmp"));
    EXPECT_FALSE(Sandbox::Exists(windows + "/KAWalllpaper-7.bmp"));
    EXPECT_TRUE(Sandbox::Exists(windows + "/KAWalllpaper-x.bmp"));
    EXPECT_TRUE(Sandbox::Exists(bitmap));
}

TEST_F(WallpaperRoutes, ADesktopThatRefusesFallsThroughAndTheUserLearnsWhy)
{
    programs.Fake("gsettings", "echo 'No such schema' >&2; exit 1");
    const platform::WallpaperOutcome outcome = Apply("GNOME");
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(outcome.detail,
        "GNOME (gsettings): gsettings set org.gnome.desktop.background picture-uri failed (exit status 1); "
        "the X root window: there is no X display");
    EXPECT_TRUE(Handed().empty()) << "no name is left that no desktop shows";
}

// With a tool that fails, a change every few seconds used to leave one more copy of the bitmap
// each time: the one name the desktop took last is all that stays.
TEST_F(WallpaperRoutes, ARowOfChangesNothingShowsLeavesOnlyTheNameTheDesktopShows)
{
    programs.Fake("gsettings");
    ASSERT_TRUE(Apply("GNOME").shown);
    const std::vector<std::string> shown = Handed();
    ASSERT_EQ(shown.size(), 1u);
    programs.Fake("gsettings", "exit 1");
    for (int change = 0; change < 20; ++change) {
        // A new bitmap replaces the old file, as the wallpaper steps make it.
        std::filesystem::remove(bitmap);
        Sandbox::Write(bitmap, "BM picture " + std::to_string(change));
        EXPECT_FALSE(Apply("GNOME").shown);
        EXPECT_EQ(Handed(), shown) << "after failed change " << change + 1;
    }
    EXPECT_EQ(Sandbox::Read(shown[0]), "BM picture one") << "the desktop's picture is left as it was";
}

// Two graphical sessions of one user share the folder; neither takes away the other's picture.
TEST_F(WallpaperRoutes, EachGraphicalSessionKeepsItsOwnName)
{
    programs.Fake("gsettings");
    box.SetEnv("WAYLAND_DISPLAY", "");
    box.SetEnv("DISPLAY", ":0.0");
    ASSERT_TRUE(Apply("GNOME").shown);
    const std::vector<std::string> first = Handed();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].rfind(windows + "/KAWalllpaper-:0-", 0), 0u) << first[0];
    box.SetEnv("WAYLAND_DISPLAY", "wayland-1");
    ASSERT_TRUE(Apply("GNOME").shown);
    ASSERT_EQ(Handed().size(), 2u);
    EXPECT_TRUE(Sandbox::Exists(first[0])) << "the other session's picture stays";
    ASSERT_TRUE(Apply("GNOME").shown);
    EXPECT_EQ(Handed().size(), 2u) << "each session keeps one";
    box.SetEnv("WAYLAND_DISPLAY", "");
    ASSERT_TRUE(Apply("GNOME").shown);
    EXPECT_FALSE(Sandbox::Exists(first[0])) << "its own session's next change replaces it";
    EXPECT_EQ(Handed().size(), 2u);
}

TEST_F(WallpaperRoutes, MissingToolsAndEmptyDesktopsAreNamed)
{
    EXPECT_EQ(Apply("XFCE").detail,
        "XFCE (xfconf-query): xfconf-query is not installed; the X root window: there is "
        "no X display");
    programs.Fake("xfconf-query", "[ \"$3\" = -l ] && echo /general/other");
    EXPECT_EQ(Apply("XFCE").detail.rfind("XFCE (xfconf-query): xfdesktop has no backdrop in xfconf yet;", 0), 0u);
    programs.Fake("hyprctl", "[ \"$2\" = wallpaper ] && echo 'wallpaper failed (not preloaded)' || echo ok");
    EXPECT_EQ(
        Apply("Hyprland").detail.rfind("Hyprland (hyprctl hyprpaper): hyprpaper: wallpaper failed (not preloaded);", 0),
        0u);
    EXPECT_EQ(Apply("Unknown").detail, "the X root window: there is no X display");
}

TEST_F(WallpaperRoutes, AMissingBitmapOrValueShowsNothingAndSaysSo)
{
    programs.Fake("gsettings");
    std::filesystem::remove(bitmap);
    const platform::WallpaperOutcome outcome = Apply("GNOME");
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(outcome.detail, "the wallpaper bitmap " + bitmap + " is missing");
    Values("", "0", "0");
    EXPECT_EQ(Apply("GNOME").detail, "no wallpaper is set");
    EXPECT_FALSE(Sandbox::Exists(programs.Log()));
}

TEST_F(WallpaperRoutes, AWaylandSessionWithoutARouteOfItsOwnGetsSwaybg)
{
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    const std::string pids = box.Root() + "/swaybg.pids";
    programs.Fake("swaybg", "echo $$ >> '" + pids + "'; exec /bin/sleep 30");
    const platform::WallpaperOutcome outcome = Apply("river");
    EXPECT_TRUE(outcome.shown) << outcome.detail;
    EXPECT_EQ(outcome.detail, "a Wayland background (swaybg)");
    ASSERT_TRUE(Apply("river").shown);
    const std::string started = Sandbox::Read(pids);
    const int firstPid = std::stoi(started), secondPid = std::stoi(started.substr(started.find('\n') + 1));
    EXPECT_NE(kill(firstPid, 0), 0) << "the swaybg of the change before is ended";
    EXPECT_EQ(kill(secondPid, 0), 0) << "the new one shows the picture";
    kill(secondPid, SIGKILL);

    // A compositor without layer-shell: swaybg ends at once, and the portal had no bus either.
    programs.Fake("swaybg", "exit 1");
    const platform::WallpaperOutcome refused = Apply("river");
    EXPECT_FALSE(refused.shown);
    EXPECT_NE(refused.detail.find("the desktop portal (org.freedesktop.portal.Wallpaper): "), std::string::npos);
    EXPECT_NE(refused.detail.find("a Wayland background (swaybg): swaybg ended at once"), std::string::npos);
    EXPECT_EQ(refused.detail.find("X root window"), std::string::npos) << "XWayland's root window is never shown";
}

// A swaybg that shows one of the session's pictures is the agent's, whichever run started it: the
// next run ends it once its own shows, so restarts never pile them up. Another session's stays.
TEST_F(WallpaperRoutes, ALaterRunEndsTheSwaybgAnEarlierOneLeft)
{
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    const std::string pids = box.Root() + "/swaybg.pids";
    const std::string fake
        = programs.Fake("swaybg", "echo $$ >> '" + pids + "'; trap 'exit 0' TERM; while :; do /bin/sleep 0.1; done");
    const int foreign = StartChild({fake, "-i", windows + "/KAWalllpaper-wayland-9-5.bmp", "-m", "fill"});
    ASSERT_TRUE(ChildRunsAfter(foreign, 200));
    {
        PosixDesktop firstRun;
        box.SetEnv("XDG_CURRENT_DESKTOP", "river");
        ASSERT_TRUE(firstRun.ApplyWallpaperSettings().shown);
    } // the agent ends; its swaybg stays, and so does the picture
    const auto pidAt = [&](std::size_t line) {
        std::string text = Sandbox::Read(pids);
        for (std::size_t i = 0; i < line; ++i)
            text = text.substr(text.find('\n') + 1);
        return std::stoi(text);
    };
    const int first = pidAt(1);
    EXPECT_EQ(kill(first, 0), 0);
    PosixDesktop secondRun;
    ASSERT_TRUE(secondRun.ApplyWallpaperSettings().shown);
    const int second = pidAt(2);
    // Started by this process for the first run, so it is reaped here once it ends.
    bool ended = false;
    for (int tries = 0; tries < 100 && !ended; ++tries) {
        ended = waitpid(first, nullptr, WNOHANG) == first;
        usleep(20000);
    }
    EXPECT_TRUE(ended) << "the swaybg the first run left is ended";
    EXPECT_EQ(kill(second, 0), 0);
    EXPECT_EQ(SessionSwaybgs(Handed().at(0)), std::vector<int> {second}) << "one of the agent's is left";
    EXPECT_TRUE(ChildRunsAfter(foreign, 0)) << "another session's is not the agent's to end";
    EndChild(foreign);
    kill(second, SIGTERM);
}

// An agent started without $SWAYSOCK (by a service manager) finds sway's socket as swaymsg users
// do, and hands sway the picture there instead of starting a swaybg of its own under sway's.
TEST_F(WallpaperRoutes, WithoutSwaysockTheRunningSwaysSocketIsFound)
{
    const std::string runtime = box.Root() + "/runtime";
    box.SetEnv("SWAYSOCK", "");
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    box.SetEnv("XDG_CURRENT_DESKTOP", "");
    // A process named sway, a socket named after it, and sockets a crashed sway or another
    // program left.
    std::filesystem::copy_file("/bin/sleep", box.Root() + "/sway");
    const int sway = StartChild({box.Root() + "/sway", "30"});
    const int other = StartChild({"/bin/sleep", "30"});
    ASSERT_TRUE(ChildRunsAfter(sway, 100));
    const auto socketAt = [](const std::string& path) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
        return fd;
    };
    const std::string uid = std::to_string(getuid());
    const std::string live = runtime + "/sway-ipc." + uid + "." + std::to_string(sway) + ".sock";
    const int sockets[] = {socketAt(runtime + "/sway-ipc." + uid + "." + std::to_string(other) + ".sock"),
        socketAt(runtime + "/sway-ipc." + uid + ".999999999.sock"), socketAt(live)};
    EXPECT_EQ(SwaySocket(), live);
    const DesktopSession session = CurrentSession();
    EXPECT_TRUE(session.swayIpc);
    EXPECT_EQ(session.swaySocket, live);
    programs.Fake("swaymsg");
    programs.Fake("swaybg", "echo started >> '" + box.Root() + "/swaybg.log'; exec /bin/sleep 30");
    const platform::WallpaperOutcome outcome = Apply("");
    EXPECT_EQ(outcome.detail, "sway (swaymsg)");
    EXPECT_EQ(Calls(), WithHanded({"swaymsg|-s|" + live + "|--|output * bg \"@\" stretch|"}));
    EXPECT_FALSE(Sandbox::Exists(box.Root() + "/swaybg.log")) << "no swaybg of the agent's";
    EndChild(sway);
    EXPECT_EQ(SwaySocket(), "") << "a sway that ended is no sway";
    box.SetEnv("WAYLAND_DISPLAY", "");
    box.SetEnv("SWAYSOCK", "/elsewhere/sway.sock");
    EXPECT_EQ(SwaySocket(), "/elsewhere/sway.sock") << "the variable, when there is one";
    for (const int fd : sockets)
        close(fd);
    EndChild(other);
}

TEST(WallpaperSession, TheEnvironmentNamesTheDesktopAndTheSession)
{
    Sandbox box;
    box.SetEnv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    box.SetEnv("XDG_SESSION_TYPE", "wayland");
    DesktopSession session = CurrentSession();
    EXPECT_EQ(session.desktops, Args({"ubuntu", "gnome"}));
    EXPECT_TRUE(session.wayland);
    EXPECT_TRUE(session.Is({"kde", "gnome"}));
    EXPECT_FALSE(session.Is({"gnome-classic"}));
    box.SetEnv("XDG_SESSION_TYPE", "x11");
    box.SetEnv("SWAYSOCK", "/run/user/1000/sway-ipc.sock");
    session = CurrentSession();
    EXPECT_FALSE(session.wayland);
    EXPECT_TRUE(session.swayIpc) << "sway's socket names sway whatever the desktop variable says";
}

// A picture per monitor: what each desktop is handed, and what it says it shows.
class MonitorRoutes : public WallpaperRoutes {
protected:
    platform::MonitorWallpapers wallpapers;
    int spannedMade = 0;

    void SetUp() override
    {
        WallpaperRoutes::SetUp();
        wallpapers.monitors = {Wallpaper("L", "DUMMY0", 0, 1280, true), Wallpaper("R", "DUMMY1", 1280, 800)};
        wallpapers.spanned = [this] {
            ++spannedMade;
            Sandbox::Write(windows + "/KAWalllpaper-spanned.bmp", "BM both");
            return windows + "/KAWalllpaper-spanned.bmp";
        };
    }

    platform::MonitorWallpaper Wallpaper(
        const std::string& name, const std::string& output, int x, unsigned width, bool primary = false)
    {
        platform::MonitorWallpaper m;
        m.monitor.name = name;
        m.monitor.output = output;
        m.monitor.x = x;
        m.monitor.width = width;
        m.monitor.height = 800;
        m.monitor.primary = primary;
        m.bitmap = windows + "/KAWalllpaper[" + name + "].bmp";
        Sandbox::Write(m.bitmap, "BM " + name);
        return m;
    }

    platform::WallpaperOutcome Apply(const std::string& currentDesktop)
    {
        box.SetEnv("XDG_CURRENT_DESKTOP", currentDesktop);
        return desktop.ApplyMonitorWallpapers(wallpapers);
    }

    // The name each monitor was handed, from the desktop's calls: the file it names holds the
    // monitor's bitmap.
    std::string HandedTo(const std::string& name)
    {
        for (const auto& entry : std::filesystem::directory_iterator(windows)) {
            const std::string file = entry.path().string();
            if (entry.path().filename().string().rfind("KAWalllpaper[" + name + "]-", 0) == 0)
                return file;
        }
        return "(none)";
    }

    // "monitor: shown|not shown: detail" for each monitor of an outcome.
    static Args Shown(const platform::WallpaperOutcome& outcome)
    {
        Args shown;
        for (const auto& m : outcome.monitors)
            shown.push_back(m.monitor + ": " + (m.shown ? "shown " : "not shown ") + m.detail);
        return shown;
    }
};

// xfconf-query keeping its properties in files of a folder, so what the route writes reads back
// (the tools by their full names: PATH holds only the stand-ins).
constexpr const char* FakeXfconf = R"sh(
store=${0%/bin/*}/xfconf; /bin/mkdir -p "$store"
if [ "$3" = -l ]; then
    for p in /backdrop/screen0/monitorDUMMY0/workspace0 /backdrop/screen0/monitorDUMMY0/workspace1 \
        /backdrop/screen0/monitorDUMMY1/workspace0 /backdrop/screen0/monitorscreen/workspace0; do
        echo $p/last-image; echo $p/image-style; done
elif [ "$#" = 4 ]; then /bin/cat "$store/$(echo "$4" | /usr/bin/tr / _)" 2>/dev/null
else eval "v=\${$#}"; printf '%s\n' "$v" > "$store/$(echo "$4" | /usr/bin/tr / _)"; fi
)sh";

TEST_F(MonitorRoutes, XfceGetsEachMonitorOnItsOwnBackdropsAndIsReadBack)
{
    programs.Fake("xfconf-query", FakeXfconf);
    wallpapers.monitors.push_back(Wallpaper("V", "", 2560, 640));
    const platform::WallpaperOutcome outcome = Apply("XFCE");
    EXPECT_TRUE(outcome.shown);
    EXPECT_EQ(outcome.detail, "XFCE (xfconf-query)");
    EXPECT_EQ(Sandbox::Read(HandedTo("L")), "BM L");
    EXPECT_EQ(Sandbox::Read(HandedTo("R")), "BM R");
    const std::string set = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitor";
    const Args calls = Calls();
    for (const std::string& expected : {set + "DUMMY0/workspace0/last-image|-n|-t|string|-s|" + HandedTo("L") + "|",
             set + "DUMMY0/workspace1/last-image|-n|-t|string|-s|" + HandedTo("L") + "|",
             set + "DUMMY0/workspace1/image-style|-n|-t|int|-s|3|",
             set + "DUMMY1/workspace0/last-image|-n|-t|string|-s|" + HandedTo("R") + "|"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << expected;
    EXPECT_EQ(Shown(outcome),
        Args({"L: shown XFCE (xfconf-query)", "R: shown XFCE (xfconf-query)",
            "V: not shown xfdesktop has no backdrop for it: xfdesktop shows only monitors driven by an output"}));
    EXPECT_EQ(spannedMade, 0) << "a desktop with a wallpaper per monitor needs no spanned picture";

    // The next change of monitors: only the fresh one is handed again; the others keep their names.
    const std::string left = HandedTo("L");
    wallpapers.monitors[0].fresh = false;
    std::filesystem::remove(programs.Log());
    EXPECT_EQ(Shown(Apply("XFCE"))[0], "L: shown XFCE (xfconf-query)");
    EXPECT_EQ(HandedTo("L"), left);
    for (const std::string& call : Calls())
        EXPECT_EQ(call.find("monitorDUMMY0/workspace0/last-image|-n"), std::string::npos) << call;

    // A backdrop that names another picture afterwards (another program set it) is reported.
    Sandbox::Write(box.Root() + "/xfconf/_backdrop_screen0_monitorDUMMY1_workspace0_last-image", "/elsewhere.png\n");
    wallpapers.monitors[1].fresh = false;
    EXPECT_EQ(Shown(Apply("XFCE"))[1], "R: not shown xfdesktop's backdrop names /elsewhere.png instead");
}

TEST_F(MonitorRoutes, DesktopsWithOneWallpaperAreHandedTheSpannedPicture)
{
    const std::string store = box.Root() + "/gsettings.value";
    programs.Fake("gsettings",
        "[ \"$1\" = set ] && [ \"$3\" = picture-uri ] && printf \"'%s'\\n\" \"$4\" > '" + store
            + "'; [ \"$1\" = get ] && /bin/cat '" + store + "'");
    programs.Fake("pcmanfm");
    platform::WallpaperOutcome outcome = Apply("GNOME");
    EXPECT_EQ(spannedMade, 1);
    const Args calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_NE(calls[0].find("picture-uri|file://" + windows + "/KAWalllpaper-spanned-"), std::string::npos) << calls[0];
    EXPECT_EQ(calls[2], "gsettings|set|org.gnome.desktop.background|picture-options|spanned|");
    EXPECT_EQ(Shown(outcome),
        Args({"L: shown GNOME (gsettings): its part of one picture over the whole desktop",
            "R: shown GNOME (gsettings): its part of one picture over the whole desktop"}));
    // GNOME names another picture afterwards: no monitor shows its own.
    programs.Fake("gsettings", "[ \"$1\" = get ] && echo \"'file:///usr/share/backgrounds/other.png'\"");
    outcome = Apply("GNOME");
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(Shown(outcome)[0], "L: not shown GNOME (gsettings) names another picture, not the one it was handed");

    std::filesystem::remove(programs.Log());
    EXPECT_TRUE(Apply("LXDE").shown);
    EXPECT_NE(Calls().at(0).find("|--wallpaper-mode|screen|"), std::string::npos) << "pcmanfm's mode over all screens";
}

TEST_F(MonitorRoutes, SwayAndHyprlandGetEachOutputItsOwnPicture)
{
    programs.Fake("swaymsg");
    platform::WallpaperOutcome outcome = Apply("sway");
    EXPECT_TRUE(outcome.shown);
    EXPECT_EQ(Calls(),
        Args({"swaymsg|--|output \"L\" bg \"" + HandedTo("L") + "\" stretch|",
            "swaymsg|--|output \"R\" bg \"" + HandedTo("R") + "\" stretch|"}));

    const std::string active = box.Root() + "/active";
    programs.Fake("hyprctl",
        "case \"$2\" in wallpaper) echo \"${3%%,*} = ${3#*,}\" >> '" + active + "'; echo ok;; listactive) /bin/cat '"
            + active + "';; *) echo ok;; esac");
    std::filesystem::remove(programs.Log());
    outcome = Apply("Hyprland");
    EXPECT_EQ(Shown(outcome), Args({"L: shown Hyprland (hyprctl hyprpaper)", "R: shown Hyprland (hyprctl hyprpaper)"}));
    const Args calls = Calls();
    EXPECT_NE(
        std::find(calls.begin(), calls.end(), "hyprctl|hyprpaper|wallpaper|R," + HandedTo("R") + "|"), calls.end());
    // Another program set another picture since: no monitor is handed anew, and L says so.
    Sandbox::Write(active, "L = /other.png\nR = " + HandedTo("R") + "\n");
    for (auto& m : wallpapers.monitors)
        m.fresh = false;
    EXPECT_EQ(Shown(Apply("Hyprland")),
        Args({"L: not shown hyprpaper shows /other.png instead", "R: shown Hyprland (hyprctl hyprpaper)"}));
}

TEST_F(MonitorRoutes, APortalGivesEveryMonitorThePrimarysPictureAndSaysSo)
{
    box.SetEnv("WAYLAND_DISPLAY", "wayland-kdx");
    const std::string arguments = box.Root() + "/swaybg.args";
    programs.Fake("swaybg", "echo \"$@\" > '" + arguments + "'; exec /bin/sleep 30");
    const platform::WallpaperOutcome outcome = Apply("river");
    EXPECT_EQ(outcome.detail, "a Wayland background (swaybg)") << "no portal on this bus";
    EXPECT_EQ(Sandbox::Read(arguments),
        "-o L -i " + HandedTo("L") + " -m stretch -o R -i " + HandedTo("R") + " -m stretch\n");
    // The swaybg stays for the desktop; it is ended here.
    const platform::WallpaperOutcome unnamed = [&] {
        wallpapers.monitors[1].monitor.name.clear();
        return Apply("river");
    }();
    EXPECT_EQ(Sandbox::Read(arguments), "-i " + HandedTo("L") + " -m stretch\n");
    ASSERT_EQ(unnamed.monitors.size(), 2u);
    EXPECT_FALSE(unnamed.monitors[1].shown);
    EXPECT_EQ(
        unnamed.monitors[1].detail, "a Wayland background (swaybg) shows one picture on every monitor: the one of L");
}

TEST(SessionMonitors, SwayAndHyprlandTellTheirOutputsInPixels)
{
    const auto sway = SwayOutputs(R"([
        {"name": "HDMI-A-1", "active": true, "rect": {"x": 1920, "y": 0, "width": 1080, "height": 1920},
         "current_mode": {"width": 1920, "height": 1080}, "transform": "90", "scale": 1.0},
        {"name": "eDP-1", "active": true, "rect": {"x": 0, "y": 0, "width": 1280, "height": 720},
         "current_mode": {"width": 2560, "height": 1440}, "transform": "normal", "scale": 2.0},
        {"name": "DP-9", "active": false, "rect": {"x": 0, "y": 0, "width": 0, "height": 0}}])");
    ASSERT_EQ(sway.size(), 2u);
    EXPECT_EQ(sway[0].name, "eDP-1") << "the one at the origin is the primary";
    EXPECT_TRUE(sway[0].primary);
    EXPECT_EQ(sway[0].width, 2560u) << "the mode's pixels, not the scaled size";
    EXPECT_EQ(sway[1].width, 1080u) << "turned on its side";
    EXPECT_EQ(sway[1].height, 1920u);
    EXPECT_EQ(sway[1].x, 1920);

    const auto hyprland = HyprlandMonitors(R"([{"name": "DP-2", "x": 0, "y": -1080, "width": 1920, "height": 1080,
        "transform": 1}, {"name": "DP-1", "x": 0, "y": 0, "width": 3840, "height": 2160, "transform": 0}])");
    ASSERT_EQ(hyprland.size(), 2u);
    EXPECT_EQ(hyprland[0].name, "DP-1");
    EXPECT_EQ(hyprland[1].width, 1080u);
    EXPECT_TRUE(SwayOutputs("not json").empty());
}

TEST(SessionMonitors, WhatTheBackgroundProgramsShowIsReadFromTheirOwnWords)
{
    EXPECT_EQ(SwaybgPictures({"swaybg", "-o", "*", "-c", "#202020", "-o", "HEADLESS-1", "-i", "/a.bmp", "-m", "stretch",
                  "-o", "HEADLESS-2", "-i", "/b b.bmp", "-m", "fill"}),
        (std::map<std::string, std::string> {{"HEADLESS-1", "/a.bmp"}, {"HEADLESS-2", "/b b.bmp"}}));
    EXPECT_EQ(HyprpaperActive("DP-1 = /a.bmp\nDP-2 = /b.bmp\n"),
        (std::map<std::string, std::string> {{"DP-1", "/a.bmp"}, {"DP-2", "/b.bmp"}}));
}

} // namespace
