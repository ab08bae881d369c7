// The main window's hot keys and tray commands on the offscreen platform, with the platform's
// hot keys, shell and desktop windows recorded rather than carried out.
#include "app/Panels.h"
#include "app/TfrmMain.h"
#include "platform/posix/PosixAtoms.h"
#include "settings/TConfig.h"
#include "shell/MessageBox.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace kdx;
using kdx::test::Sandbox;
using Log = std::vector<std::string>;

namespace {

class RecordingHotKeys : public platform::IHotKeys {
public:
    bool RegisterHotKey(platform::WindowHandle, int id, unsigned modifiers, unsigned vk) override
    {
        log.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " + char(vk));
        return true;
    }
    bool UnregisterHotKey(platform::WindowHandle, int id) override
    {
        log.push_back("unregister " + std::to_string(id));
        return true;
    }
    void SetHandler(platform::WindowHandle, Handler) override { }
    Log log;
};

class RecordingShell : public platform::IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        log.push_back(verb + "|" + file + "|" + params);
    }
    void ShowProperties(const std::string&) override { }
    std::string DisplayName(const std::string&) override { return {}; }
    std::string ResourceString(const std::string&, unsigned) override { return {}; }
    Log log;
};

class RecordingDesktop : public platform::IDesktopWindows {
public:
    static constexpr platform::WindowHandle Icons = 7;
    platform::WindowHandle FindDesktopIconsWindow() override { return Icons; }
    void ShowWindow(platform::WindowHandle window, bool show) override
    {
        log.push_back((show ? "show " : "hide ") + std::to_string(window));
    }
    platform::WindowHandle NextWindow(platform::WindowHandle) override { return 0; }
    bool IsWindowVisible(platform::WindowHandle) override { return true; }
    void Minimize(platform::WindowHandle window) override { log.push_back("minimize " + std::to_string(window)); }
    bool CanWalkWindows() override { return walkable; }
    bool ShowDesktop() override
    {
        log.push_back("show desktop");
        return showDesktop;
    }
    bool walkable = true;
    bool showDesktop = false;
    Log log;
};

class RecordingMessages : public IMessageBox {
public:
    RecordingMessages() { SetMessageBox(this); }
    ~RecordingMessages() override { SetMessageBox(nullptr); }
    int Show(const std::string& caption, const std::string& text, MessageIcon) override
    {
        log.push_back(caption + "|" + text);
        return IdOk;
    }
    Log log;
};

class MainWindowCommands : public ::testing::Test {
protected:
    MainWindowCommands() : scope_(Recorded()) { }

    platform::Services Recorded()
    {
        platform::Services services = platform::Current();
        services.hotKeys = &hotKeys;
        services.shell = &shell;
        services.desktopWindows = &desktop;
        return services;
    }

    TfrmMain& Start(const std::string& ini = "", TTrayAndKeys trayAndKeys = TTrayAndKeys::WithWindow)
    {
        if (!ini.empty())
            Sandbox::Write(box.IniPath(), ini);
        main = std::make_unique<TfrmMain>(TFormCatalog {StandardPanels(), {}}, nullptr, trayAndKeys);
        main->FormCreate();
        return *main;
    }
    std::string SystemSaver()
    {
        auto key = platform::Current().registry->OpenKey(reg::DesktopKey);
        return key ? key->QueryString(reg::ScreenSaverValue).value : std::string();
    }
    QAction* Action(const char* name) { return main->findChild<QAction*>(name); }

    Sandbox box;
    RecordingHotKeys hotKeys;
    RecordingShell shell;
    RecordingDesktop desktop;
    platform::ScopedServices scope_;
    std::unique_ptr<TfrmMain> main;
};

TEST_F(MainWindowCommands, StartRegistersEachLetterWithCtrlAltAndCloseReleasesKeysAndAtoms)
{
    TfrmMain& m = Start("[Misc]\nActivateHotKey=AB\nExecuteHotKey=e\n");
    EXPECT_EQ(m.FActivateId, 0) << "the first atoms of a new table, less 0xC000";
    EXPECT_EQ(m.FExecuteId, 1);
    // Only the first character counts; a lower-case letter stands for its key.
    EXPECT_EQ(hotKeys.log, (Log {"register 0 3 A", "register 1 3 E"}));
    hotKeys.log.clear();
    m.FormClose();
    EXPECT_EQ(hotKeys.log, (Log {"unregister 0", "unregister 1"}));
    EXPECT_EQ(Sandbox::Read(platform::posix::PosixAtoms::TableFile()), "") << "both atoms deleted";
}

// A start with the window shown puts the window on the screen first; the keys follow at once.
TEST_F(MainWindowCommands, AWindowShownAtStartRegistersTheKeysOnceItIsOnTheScreen)
{
    TfrmMain& m = Start("[Misc]\nActivateHotKey=A\nExecuteHotKey=E\n", TTrayAndKeys::AfterWindowShown);
    EXPECT_TRUE(hotKeys.log.empty());
    m.ShowMainWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hotKeys.log.empty(); }, 1000)) << "not only at the fallback's 3 s";
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(hotKeys.log, (Log {"register 0 3 A", "register 1 3 E"}));
    m.ShowMainWindow(); // again from the tray: nothing registered twice
    QTest::qWait(50);
    EXPECT_EQ(hotKeys.log.size(), 2u);
}

TEST_F(MainWindowCommands, AnEmptyLetterRegistersNothingForItsKey)
{
    Start("[Misc]\nActivateHotKey=\nExecuteHotKey=7\n");
    EXPECT_EQ(hotKeys.log, (Log {"register 1 3 7"}));
}

TEST_F(MainWindowCommands, TheHotKeysShowTheWindowAndStartTheScreensaver)
{
    TfrmMain& m = Start();
    m.WMHotKey(m.FActivateId);
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(shell.log.empty());
    m.WMHotKey(m.FExecuteId);
    m.WMHotKey(99);
    EXPECT_EQ(shell.log, (Log {"open|KDXSaver.SCR|"}));
    Action("mnuExecute")->trigger();
    EXPECT_EQ(shell.log.size(), 2u);
}

TEST_F(MainWindowCommands, NewLettersFromThePreferencesAreRegisteredAfterTheOldOnesAreReleased)
{
    TfrmMain& m = Start();
    hotKeys.log.clear();
    IHotKeyOwner& owner = m;
    owner.SetHotKeys(false);
    owner.SetActivateKey("Q");
    owner.SetExecuteKey("");
    owner.SetHotKeys(true);
    EXPECT_EQ(hotKeys.log, (Log {"unregister 0", "unregister 1", "register 0 3 Q"}));
    EXPECT_EQ(m.FActivateKey, "Q");
    EXPECT_EQ(m.FExecuteKey, "");
}

TEST_F(MainWindowCommands, DisableScreensaverTwiceLeavesTheCompanionInstalled)
{
    Start();
    platform::Current().registry->CreateKey(reg::DesktopKey)->SetString(reg::ScreenSaverValue, "other.scr");
    QAction* disable = Action("mnuDisable");
    EXPECT_FALSE(disable->isChecked());
    disable->trigger();
    EXPECT_TRUE(disable->isChecked());
    EXPECT_EQ(SystemSaver(), "\"\"");
    disable->trigger();
    EXPECT_FALSE(disable->isChecked());
    EXPECT_EQ(SystemSaver(), "\"KDXSaver.SCR\"");
}

TEST_F(MainWindowCommands, ClearDesktopAndRestoreSwitchTheDesktopAndTheirMenuStates)
{
    TfrmMain& m = Start();
    QAction* clear = Action("mnuClearDesktop");
    QAction* restore = Action("mnuRestoreDesktop");
    ASSERT_TRUE(clear->isEnabled());
    ASSERT_FALSE(restore->isEnabled());
    clear->trigger();
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_TRUE(restore->isEnabled());
    const std::string agent = std::to_string(m.winId());
    EXPECT_EQ(desktop.log, (Log {"hide 7", "minimize " + agent}));
    restore->trigger();
    EXPECT_TRUE(clear->isEnabled());
    EXPECT_FALSE(restore->isEnabled());
    EXPECT_EQ(desktop.log.back(), "show 7");
    EXPECT_EQ(desktop.log.size(), 3u) << "Restore minimises nothing and restores nothing";
}

// Gives one atom and fails the other, as a table that fills up between two adds would.
class HalfFailingAtoms : public platform::IAtoms {
public:
    std::uint16_t GlobalAddAtom(const std::string& name) override
    {
        return name == texts::ActivateHotKeyAtom ? 0 : 0xFFFF;
    }
    std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override
    {
        deleted.push_back(atom);
        return 0;
    }
    std::vector<std::uint16_t> deleted;
};

// When the atom table cannot be opened or written, the two hot keys still get two ids: one
// key never does both commands, and no atom that is not ours is deleted.
TEST_F(MainWindowCommands, WithoutAnAtomTableTheHotKeysStillHaveIdsOfTheirOwn)
{
    const std::string notAFolder = box.Root() + "/runtime-file";
    Sandbox::Write(notAFolder, "");
    box.SetEnv("XDG_RUNTIME_DIR", notAFolder); // the table cannot be created in a file
    TfrmMain& m = Start();
    EXPECT_NE(m.FActivateId, m.FExecuteId);
    EXPECT_EQ(hotKeys.log, (Log {"register 16383 3 A", "register 16382 3 E"}));
    m.WMHotKey(m.FActivateId);
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(shell.log.empty()) << "the show-window key started the screensaver too";
    m.WMHotKey(m.FExecuteId);
    EXPECT_EQ(shell.log, (Log {"open|KDXSaver.SCR|"}));
    m.FormClose();
    main.reset();

    HalfFailingAtoms atoms;
    platform::Services services = platform::Current();
    services.atoms = &atoms;
    platform::ScopedServices scope(services);
    hotKeys.log.clear();
    TfrmMain& again = Start();
    EXPECT_EQ(again.FExecuteId, 0x3FFF);
    EXPECT_EQ(again.FActivateId, 0x3FFE) << "not the id the table gave the other key";
    again.FormClose();
    EXPECT_EQ(atoms.deleted, std::vector<std::uint16_t> {0xFFFF});
}

// In a Wayland session no program sees the others' windows: the desktop's own show-desktop
// command stands in for the walk, and where there is none the user is told and nothing changes.
TEST_F(MainWindowCommands, ClearDesktopWithoutWindowsToWalkUsesTheDesktopsOwnCommand)
{
    desktop.walkable = false;
    desktop.showDesktop = true;
    RecordingMessages messages;
    Start();
    Action("mnuClearDesktop")->trigger();
    EXPECT_EQ(desktop.log, (Log {"show desktop"}));
    EXPECT_FALSE(Action("mnuClearDesktop")->isEnabled());
    EXPECT_TRUE(Action("mnuRestoreDesktop")->isEnabled());
    EXPECT_TRUE(messages.log.empty());
    Action("mnuRestoreDesktop")->trigger();
    EXPECT_TRUE(Action("mnuClearDesktop")->isEnabled());
}

TEST_F(MainWindowCommands, ClearDesktopWhereTheDesktopAllowsNoneSaysSoAndChangesNothing)
{
    desktop.walkable = false;
    RecordingMessages messages;
    Start();
    Action("mnuClearDesktop")->trigger();
    EXPECT_EQ(desktop.log, (Log {"show desktop"})) << "no window hidden or minimised";
    EXPECT_EQ(messages.log, (Log {std::string("Information|") + texts::CannotClearDesktop}));
    EXPECT_TRUE(Action("mnuClearDesktop")->isEnabled());
    EXPECT_FALSE(Action("mnuRestoreDesktop")->isEnabled());
}

} // namespace
