// The order in which the Linux hot keys choose their way, as a table of what each probe finds,
// and the lines a desktop without a way of its own is given.
#include "platform/posix/PosixHotKeys.h"
#include "platform/posix/HotKeyLines.h"
#include "platform/posix/process/Process.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kdx::test {
namespace {

using platform::HotKeyWay;
using platform::posix::PosixHotKeys;

// Probes that answer as a row of the table says, and note each question.
struct Row {
    bool x11, portal, kde, gnome;
    HotKeyWay way; // chosen
    std::string asked; // the probes asked, in order
    HotKeyWay afterRefusal; // when the portal refuses the keys later
    std::string askedAfter; // the probes asked then
};

PosixHotKeys::Probes Answering(const Row& row, std::string& asked)
{
    const auto probe = [&asked](char name, bool answer) {
        return [&asked, name, answer] {
            asked += name;
            return answer;
        };
    };
    return {probe('x', row.x11), probe('p', row.portal), probe('k', row.kde), probe('g', row.gnome)};
}

TEST(HotKeyWays, TheFirstWayThatAppliesIsChosenInTheirOrder)
{
    const Row table[] = {
        // An X11 session grabs its keys, whatever else the session has.
        {true, true, true, true, HotKeyWay::XGrabs, "x", HotKeyWay::XGrabs, ""},
        // Wayland: the portal where it binds (GNOME 48, Plasma 6); Plasma 5.27's refuses, and
        // KDE's service takes the keys.
        {false, true, true, false, HotKeyWay::Portal, "xp", HotKeyWay::KdeService, "k"},
        {false, true, false, true, HotKeyWay::Portal, "xp", HotKeyWay::GnomeShortcuts, "kg"},
        {false, true, false, false, HotKeyWay::Portal, "xp", HotKeyWay::ConfigLines, "kg"},
        // No portal: KDE Plasma's service, GNOME's custom shortcuts (GNOME 46 and older), else the
        // configuration lines (sway, Hyprland, others).
        {false, false, true, true, HotKeyWay::KdeService, "xpk", HotKeyWay::KdeService, ""},
        {false, false, false, true, HotKeyWay::GnomeShortcuts, "xpkg", HotKeyWay::GnomeShortcuts, ""},
        {false, false, false, false, HotKeyWay::ConfigLines, "xpkg", HotKeyWay::ConfigLines, ""},
    };
    for (const Row& row : table) {
        std::string asked;
        PosixHotKeys keys(Answering(row, asked));
        EXPECT_EQ(asked, "") << "nothing is asked before a key is registered";
        keys.RegisterHotKey(1, 0, platform::ModControl | platform::ModAlt, 'A');
        keys.RegisterHotKey(1, 1, platform::ModControl | platform::ModAlt, 'E');
        EXPECT_EQ(keys.Way(), row.way) << asked;
        EXPECT_EQ(asked, row.asked) << "each probe once, and none after the one that applies";
        // Only a refusal of the chosen portal moves the keys on, and only the ways after it are
        // asked; a second refusal, come late, changes nothing.
        for (int refusal = 0; refusal < 2; ++refusal) {
            asked.clear();
            keys.PortalRefused();
            EXPECT_EQ(keys.Way(), row.afterRefusal) << row.asked;
            EXPECT_EQ(asked, refusal ? "" : row.askedAfter) << row.asked;
        }
    }
}

TEST(HotKeyLines, EachDesktopGetsItsOwnLinesForTheKeysItCanName)
{
    const std::string program = "/opt/Kaleidra Agent/KDX3";
    const std::vector<platform::HotKeyBinding> keys = {
        {"show", platform::ModControl | platform::ModAlt, 'A'},
        {"saver", platform::ModControl | platform::ModAlt, '-'}, // the Insert key's code
        {"nothing", platform::ModControl | platform::ModAlt, 0x07}, // no key has it
    };
    platform::posix::DesktopSession sway;
    sway.swayIpc = true;
    const platform::HotKeyLines swayLines = platform::posix::HotKeyLinesFor(sway, program, keys);
    EXPECT_EQ(swayLines.lines,
        "bindsym Ctrl+Mod1+a exec '/opt/Kaleidra Agent/KDX3' /show\n"
        "bindsym Ctrl+Mod1+Insert exec '/opt/Kaleidra Agent/KDX3' /saver\n");
    EXPECT_NE(swayLines.intro.find("~/.config/sway/config"), std::string::npos) << swayLines.intro;
    EXPECT_NE(swayLines.intro.find("swaymsg reload"), std::string::npos) << swayLines.intro;

    platform::posix::DesktopSession hyprland;
    hyprland.desktops = {"hyprland"};
    EXPECT_EQ(platform::posix::HotKeyLinesFor(hyprland, "/usr/bin/KDX3", {keys[0]}).lines,
        "bind = CTRL ALT, a, exec, /usr/bin/KDX3 /show\n");

    platform::posix::DesktopSession other;
    other.desktops = {"lxqt"};
    const platform::HotKeyLines otherLines = platform::posix::HotKeyLinesFor(other, "/usr/bin/KDX3", keys);
    EXPECT_EQ(otherLines.lines, "Ctrl+Alt+A: /usr/bin/KDX3 /show\nCtrl+Alt+Insert: /usr/bin/KDX3 /saver\n");
    EXPECT_NE(otherLines.intro.find("keyboard settings"), std::string::npos) << otherLines.intro;
}

TEST(HotKeyLines, AProgramPathIsOneWordOfTheCommandWhateverItHolds)
{
    using platform::posix::ShellWord;
    EXPECT_EQ(ShellWord("/usr/bin/KDX3"), "/usr/bin/KDX3");
    EXPECT_EQ(ShellWord("/opt/Kaleidra Agent/KDX3"), "'/opt/Kaleidra Agent/KDX3'");
    EXPECT_EQ(ShellWord("/home/o'neil/KDX3"), "'/home/o'\\''neil/KDX3'");
    EXPECT_EQ(ShellWord("/tmp/$HOME;rm -rf ~/`x`"), "'/tmp/$HOME;rm -rf ~/`x`'");
    EXPECT_EQ(ShellWord(""), "''");
    // The shell reads each back as the one word it was.
    for (const std::string word : {"/opt/Kaleidra Agent/KDX3", "/home/o'neil/KDX3", "/tmp/$HOME;rm -rf ~/`x`"}) {
        std::string echoed;
        ASSERT_EQ(platform::posix::RunAndWait({"/bin/sh", "-c", "printf %s " + ShellWord(word)}, 5000, &echoed), 0);
        EXPECT_EQ(echoed, word);
    }
}

} // namespace
} // namespace kdx::test
