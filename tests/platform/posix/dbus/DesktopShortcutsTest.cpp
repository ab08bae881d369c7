// How keys are named for KDE's shortcut service and for GNOME's custom shortcuts, and the
// GVariant text gsettings reads and prints.
#include "platform/posix/dbus/GnomeShortcuts.h"
#include "platform/posix/dbus/KdeHotKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kdx::platform;
using namespace kdx::platform::posix;

constexpr unsigned CtrlAlt = ModControl | ModAlt;

TEST(KdeShortcuts, AKeyIsQtsCodeWithQtsModifierBits)
{
    EXPECT_EQ(KdeKeyCode(CtrlAlt, 'A'), 0x0C000041) << "Ctrl+Alt+A";
    EXPECT_EQ(KdeKeyCode(CtrlAlt, '7'), 0x0C000037);
    EXPECT_EQ(KdeKeyCode(ModControl | ModShift | ModWin, 'Q'), 0x16000051);
    EXPECT_EQ(KdeKeyCode(CtrlAlt, '-'), 0x0C000000 | 0x01000006) << "the Insert key's code";
    EXPECT_EQ(KdeKeyCode(CtrlAlt, 'a'), 0x0C000000 | 0x20000000 | 0x31) << "the numeric keypad's 1";
    EXPECT_EQ(KdeKeyCode(CtrlAlt, 0x70), 0x0C000000 | 0x01000030) << "F1";
    EXPECT_EQ(KdeKeyCode(CtrlAlt, 0x08), 0x0C000000 | 0x01000003) << "Backspace";
    EXPECT_EQ(KdeKeyCode(CtrlAlt, 0x07), 0) << "no key has the code";
}

TEST(GnomeShortcuts, AKeyIsGtksAccelerator)
{
    EXPECT_EQ(GtkAccelerator(CtrlAlt, 'A'), "<Control><Alt>a");
    EXPECT_EQ(GtkAccelerator(CtrlAlt, '-'), "<Control><Alt>Insert");
    EXPECT_EQ(GtkAccelerator(ModShift | ModWin, ' '), "<Shift><Super>space");
    EXPECT_EQ(GtkAccelerator(CtrlAlt, 0x07), "");
    EXPECT_EQ(GnomeShortcuts::EntryPath("show"),
        "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/kaleidra-agent-show/");
}

TEST(GnomeShortcuts, GVariantTextOfStringsAndArraysRoundTrips)
{
    EXPECT_EQ(GVariantText("'/opt/K A/KDX3' /show"), "'\\'/opt/K A/KDX3\\' /show'");
    EXPECT_EQ(GVariantText("a\\b"), "'a\\\\b'");
    const std::vector<std::string> tricky {"/a/", "it's", "back\\slash", "\"quoted\"", "", "ünï"};
    std::string array = "[";
    for (const std::string& item : tricky)
        array += (array.size() > 1 ? ", " : "") + GVariantText(item);
    EXPECT_EQ(GVariantStrings(array + "]"), tricky);
    // As gsettings prints them: an empty array with its type, double quotes where a string
    // holds a single one.
    EXPECT_EQ(GVariantStrings("@as []\n"), std::vector<std::string> {});
    EXPECT_EQ(GVariantStrings("['/org/x/custom0/', \"/org/x/it's/\"]\n"),
        (std::vector<std::string> {"/org/x/custom0/", "/org/x/it's/"}));
}

} // namespace
