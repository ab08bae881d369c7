// TPublicUnit's shell and list helpers.
#include "ShellTestSupport.h"
#include "shell/MessageBox.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

class PublicUnit : public ::testing::Test {
protected:
    Sandbox box;
    TPublicUnit unit;

    std::string Copy(const std::string& fixture, const std::string& name)
    {
        const std::string path = box.Root() + "/" + name;
        std::filesystem::copy_file(test::PeFixture(fixture), path);
        return path;
    }
};

// A window manager's stacking order, bottom first, that moves a window to the bottom as soon as
// it is asked to minimise it, as a window manager may, while the walk is still going.
class RestackingWindows final : public platform::IDesktopWindows {
public:
    std::vector<platform::WindowHandle> order;
    std::vector<platform::WindowHandle> hidden, minimised;
    platform::WindowHandle FindDesktopIconsWindow() override { return 0; }
    void ShowWindow(platform::WindowHandle, bool) override { }
    platform::WindowHandle NextWindow(platform::WindowHandle window) override
    {
        const auto it = std::find(order.begin(), order.end(), window);
        return it == order.end() || it == order.begin() ? 0 : *(it - 1);
    }
    bool IsWindowVisible(platform::WindowHandle window) override
    {
        return std::find(hidden.begin(), hidden.end(), window) == hidden.end();
    }
    void Minimize(platform::WindowHandle window) override
    {
        minimised.push_back(window);
        order.erase(std::find(order.begin(), order.end(), window));
        order.insert(order.begin(), window);
    }
};

TEST_F(PublicUnit, MinimizeWindowsTakesTheWindowsBelowAsTheyStoodWhenAsked)
{
    RestackingWindows windows;
    windows.order = {1, 2, 3, 4, 5}; // 5 on top; the agent is 3
    windows.hidden = {2};
    const test::ServicesWith restacking([&](platform::Services& s) { s.desktopWindows = &windows; });
    unit.MinimizeWindows(3);
    EXPECT_EQ(windows.minimised, (std::vector<platform::WindowHandle> {3, 1}));
}

TEST_F(PublicUnit, AMissingFileIsNotFoundWhateverItsExtension)
{
    for (const char* name : {"gone.scr", "gone.SCR", "gone.swf", "gone.jpg", "gone"})
        EXPECT_EQ(unit.DisplayName(box.Root() + "/" + name), "FILE NOT FOUND!") << name;
}

TEST_F(PublicUnit, AFolderIsNotAFile)
{
    std::filesystem::create_directories(box.Root() + "/folder.scr");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/folder.scr"), "FILE NOT FOUND!");
}

TEST_F(PublicUnit, AnOrdinaryFileIsShownByItsName)
{
    std::filesystem::create_directories(box.Root() + "/Docs");
    Sandbox::Write(box.Root() + "/Docs/clip.swf", "FWS");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/Docs/clip.swf"), "clip.swf");
    Sandbox::Write(box.Root() + "/Docs/NoExtension", "x");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/Docs/NoExtension"), "NoExtension");
}

TEST_F(PublicUnit, AScreensaverIsShownByItsDescription)
{
    EXPECT_EQ(unit.DisplayName(Copy("describe", "Saver.scr")), "Kaleidra Test Saver");
    EXPECT_EQ(unit.DisplayName(Copy("describe32", "Saver32.scr")), "Kaleidra Test Saver");
}

TEST_F(PublicUnit, TheExtensionTestKeepsCase)
{
    EXPECT_EQ(unit.DisplayName(Copy("describe", "Saver.SCR")), "Saver.SCR");
    EXPECT_EQ(unit.DisplayName(Copy("describe", "Saver.Scr")), "Saver.Scr");
}

TEST_F(PublicUnit, AScreensaverWithoutDescriptionFallsBackToItsShellName)
{
    EXPECT_EQ(unit.DisplayName(Copy("plain", "NoTable.scr")), "NoTable.scr");
    EXPECT_EQ(unit.DisplayName(Copy("nostring1", "NoOne.scr")), "NoOne.scr");
    Sandbox::Write(box.Root() + "/Text.scr", "not a program at all");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/Text.scr"), "Text.scr");
    Sandbox::Write(box.Root() + "/Empty.scr", "");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/Empty.scr"), "Empty.scr");
}

TEST_F(PublicUnit, ATruncatedScreensaverFallsBackToItsShellName)
{
    const std::string whole = Sandbox::Read(test::PeFixture("describe"));
    const std::string path = box.Root() + "/Cut.scr";
    Sandbox::Write(path, whole.substr(0, whole.size() / 2));
    EXPECT_EQ(unit.DisplayName(path), "Cut.scr");
}

TEST_F(PublicUnit, DisplayNameAsksTheShellInItsOrder)
{
    test::FakeShell shell;
    test::ServicesWith services([&](platform::Services& s) { s.shell = &shell; });
    const std::string saver = box.Root() + "/a.scr";
    Sandbox::Write(saver, "x");
    shell.resource = "Described";
    EXPECT_EQ(unit.DisplayName(saver), "Described");
    EXPECT_EQ(shell.calls, std::vector<std::string>({"ResourceString " + saver + " 1"}));

    shell.calls.clear();
    shell.resource.clear();
    EXPECT_EQ(unit.DisplayName(saver), "shell:" + saver);
    EXPECT_EQ(shell.calls, std::vector<std::string>({"ResourceString " + saver + " 1", "DisplayName " + saver}));

    shell.calls.clear();
    EXPECT_EQ(unit.DisplayName(box.Root() + "/missing.scr"), "FILE NOT FOUND!");
    EXPECT_TRUE(shell.calls.empty()) << "a missing file is not looked into";
}

TEST_F(PublicUnit, AFileNamePartStartsAfterTheLastSeparator)
{
    std::filesystem::create_directories(box.Root() + "/dotted.dir");
    Sandbox::Write(box.Root() + "/dotted.dir/scr", "x");
    EXPECT_EQ(unit.DisplayName(box.Root() + "/dotted.dir/scr"), "scr") << "a dot in a folder name is no extension";
}

TEST_F(PublicUnit, RandomIndexFollowsTheStatedGenerator)
{
    test::FakeSystem clock;
    test::ServicesWith services([&](platform::Services& s) { s.system = &clock; });
    // Seed = milliseconds since midnight; Seed := Seed * 134775813 + 1 (mod 2^32);
    // result = Seed * N / 2^32.
    clock.utc = {2026, 12, 8, 12, 34, 56, 789};
    EXPECT_EQ(unit.RandomIndex(1), 0);
    EXPECT_EQ(unit.RandomIndex(10), 4);
    EXPECT_EQ(unit.RandomIndex(100), 48);
    EXPECT_EQ(unit.RandomIndex(2147483647), 1049778548);
    clock.utc = {2026, 12, 8, 23, 59, 59, 999};
    EXPECT_EQ(unit.RandomIndex(10), 7);
    EXPECT_EQ(unit.RandomIndex(100), 72);
    clock.utc = {2026, 1, 1, 7, 0, 0, 1};
    EXPECT_EQ(unit.RandomIndex(10), 5);
    EXPECT_EQ(unit.RandomIndex(100), 50);
    clock.utc = {2026, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(unit.RandomIndex(100), 0) << "seed 1 at midnight";
    clock.utc.year = 1999;
    clock.utc.hour = 7;
    clock.utc.millisecond = 1;
    EXPECT_EQ(unit.RandomIndex(10), 5) << "the date takes no part";
}

TEST_F(PublicUnit, RandomIndexStaysInRangeEveryMillisecondOfASecond)
{
    test::FakeSystem clock;
    test::ServicesWith services([&](platform::Services& s) { s.system = &clock; });
    clock.utc = {2026, 12, 8, 18, 30, 12, 0};
    for (int ms = 0; ms < 1000; ++ms) {
        clock.utc.millisecond = ms;
        EXPECT_EQ(unit.RandomIndex(1), 0);
        const int i = unit.RandomIndex(10);
        EXPECT_TRUE(i >= 0 && i <= 9) << i;
    }
}

TEST_F(PublicUnit, RightCharsAsTheFolderChoiceUsesIt)
{
    EXPECT_EQ(unit.RightChars("C:\\Pictures", 1), "s");
    EXPECT_EQ(unit.RightChars("C:\\", 1), "\\");
    EXPECT_EQ(unit.RightChars("/home/user/", 1), "/");
    EXPECT_EQ(unit.RightChars("ab", 5), "ab");
    EXPECT_EQ(unit.RightChars("abcdef", 3), "def");
    EXPECT_EQ(unit.RightChars("abc", 3), "abc");
    EXPECT_EQ(unit.RightChars("", 1), "");
    EXPECT_EQ(unit.RightChars("abc", 0), "");
    EXPECT_EQ(unit.RightChars("abc", -2), "");
}

TEST_F(PublicUnit, GetWindowsDirIsThePlatformsWindowsFolder)
{
    EXPECT_EQ(unit.GetWindowsDir(), box.DataHome() + "/kaleidra-agent");
    EXPECT_TRUE(std::filesystem::is_directory(unit.GetWindowsDir()));
    test::FakeSystem system;
    test::ServicesWith services([&](platform::Services& s) { s.system = &system; });
    system.windowsDir = "";
    EXPECT_EQ(unit.GetWindowsDir(), "");
}

class RecordingMessageBox final : public IMessageBox {
public:
    std::vector<std::string> shown;
    int Show(const std::string& caption, const std::string& text, MessageIcon icon) override
    {
        shown.push_back(caption + "|" + text + "|" + (icon == MessageIcon::Warning ? "warning" : "information"));
        return IdOk;
    }
};

TEST_F(PublicUnit, MessagesGoThroughTheInstalledMessageBox)
{
    RecordingMessageBox box;
    SetMessageBox(&box);
    EXPECT_EQ(unit.ShowWarning("Select a screensaver first."), IdOk);
    EXPECT_EQ(unit.ShowInfo("Changed wallpaper successfully!"), IdOk);
    SetMessageBox(nullptr);
    EXPECT_EQ(box.shown,
        std::vector<std::string>({"Warning|Select a screensaver first.|warning",
            "Information|Changed wallpaper successfully!|information"}));
}

TEST_F(PublicUnit, WithoutAMessageBoxMessagesAnswerOk)
{
    ASSERT_EQ(CurrentMessageBox(), nullptr);
    EXPECT_EQ(unit.ShowWarning("nobody sees this"), IdOk);
    EXPECT_EQ(unit.ShowInfo("nor this"), IdOk);
}

TEST_F(PublicUnit, ShowPropertiesHandsThePathToTheShell)
{
    test::FakeShell shell;
    test::ServicesWith services([&](platform::Services& s) { s.shell = &shell; });
    unit.ShowProperties("/pictures/a b.jpg");
    EXPECT_EQ(shell.calls, std::vector<std::string>({"ShowProperties /pictures/a b.jpg"}));
}

} // namespace
