// The preference dialog on the offscreen platform, against a sandboxed settings file and
// registry stand-in, with a main window that records what the dialog asks of it.
#include "platform/posix/PosixRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "prefs/IHotKeyOwner.h"
#include "prefs/THotKeyEdit.h"
#include "prefs/TfrmMisc.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"
#include "support/Services.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

// The shell, as far as the help button uses it.
class RecordingShell : public platform::IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        started.push_back(verb + " " + file + " " + params);
    }
    void ShowProperties(const std::string&) override { }
    std::string DisplayName(const std::string&) override { return {}; }
    std::string ResourceString(const std::string&, unsigned) override { return {}; }
    std::vector<std::string> started;
};

class RecordingMainWindow : public IHotKeyOwner {
public:
    void SetHotKeys(bool active) override { calls.push_back(active ? "register" : "release"); }
    void SetActivateKey(const std::string& key) override { calls.push_back("activate=" + key); }
    void SetExecuteKey(const std::string& key) override { calls.push_back("execute=" + key); }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

// The hot keys of a desktop, as the dialog asks about them: the way they work there, GNOME's
// leave, and the lines of a configuration, which it makes from the bindings it is given. The
// dialog registers nothing itself; the calls it makes on the platform are recorded, beside the
// main window's.
class DesktopHotKeys : public platform::IHotKeys {
public:
    explicit DesktopHotKeys(platform::HotKeyWay way, bool global = true, Calls* calls = nullptr)
        : way_(way), global_(global), calls_(calls), scope_(test::WithService(&platform::Services::hotKeys, this))
    {
    }
    bool RegisterHotKey(platform::WindowHandle, int, unsigned, unsigned) override { return global_; }
    bool UnregisterHotKey(platform::WindowHandle, int) override { return global_; }
    void SetHandler(platform::WindowHandle, Handler) override { }
    bool GlobalKeysAvailable() override { return global_; }
    platform::HotKeyWay Way() override { return way_; }
    bool DesktopShortcutsAllowed() override { return allowed; }
    void AllowDesktopShortcuts(bool allow) override
    {
        allowed = allow;
        if (calls_)
            calls_->push_back(allow ? "allow" : "disallow");
    }
    platform::HotKeyLines ConfigurationLines(const std::vector<platform::HotKeyBinding>& keys) override
    {
        platform::HotKeyLines lines {"Add these lines:", ""};
        for (const platform::HotKeyBinding& key : keys)
            lines.lines
                += "bind " + std::to_string(key.modifiers) + " " + char(key.virtualKey) + " KDX3 /" + key.verb + "\n";
        return lines;
    }
    bool allowed = false;

private:
    platform::HotKeyWay way_;
    bool global_;
    Calls* calls_;
    platform::ScopedServices scope_;
};

// Where Tab goes from Widget: the next control in the focus chain that takes the focus by Tab.
QWidget* NextTabStop(QWidget* widget)
{
    QWidget* next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

class PreferenceDialog : public ::testing::Test {
protected:
    // Opens a new dialog, as the main window does each time.
    TfrmMisc& Open()
    {
        dialog = std::make_unique<TfrmMisc>(mainWindow);
        dialog->show();
        return *dialog;
    }
    THotKeyEdit& Activate() { return *dialog->txtActivateHotKey; }
    THotKeyEdit& Execute() { return *dialog->txtExecuteHotKey; }
    std::string Ini() { return Sandbox::Read(box.IniPath()); }
    std::string Registry() { return Sandbox::Read(platform::posix::PosixRegistry::StoreFile()); }
    platform::RegString RunValue()
    {
        auto key = platform::Current().registry->OpenKey(reg::RunKey);
        return key ? key->QueryString(reg::RunValue) : platform::RegString {};
    }
    TMisc Stored()
    {
        TConfig config;
        TMisc misc;
        config.LoadMisc(misc);
        return misc;
    }

    // Opens the dialog on a desktop whose keys work in Way.
    TfrmMisc& OpenWhereKeysWork(platform::HotKeyWay way, bool global = true)
    {
        dialog.reset();
        hotKeys.reset(); // before the next: each puts back the services it found
        hotKeys = std::make_unique<DesktopHotKeys>(way, global, &mainWindow.calls);
        return Open();
    }

    Sandbox box;
    RecordingMainWindow mainWindow;
    // A desktop with the program's own key grabs unless a test says otherwise.
    std::unique_ptr<DesktopHotKeys> hotKeys = std::make_unique<DesktopHotKeys>(platform::HotKeyWay::XGrabs);
    std::unique_ptr<TfrmMisc> dialog;
};

TEST_F(PreferenceDialog, WithoutSettingsItShowsTheDefaults)
{
    TfrmMisc& d = Open();
    EXPECT_EQ(d.windowTitle(), "Preference");
    EXPECT_EQ(d.size(), QSize(404, 367));
    EXPECT_FALSE(d.chkStartup->isChecked());
    EXPECT_TRUE(d.chkAutoSave->isChecked());
    EXPECT_EQ(Activate().text(), "Ctrl + Alt + A");
    EXPECT_EQ(Execute().text(), "Ctrl + Alt + E");
    EXPECT_FALSE(d.chkScreenSaver->isChecked() || d.chkFlash->isChecked() || d.chkPicture->isChecked());
    // The System group's order: the first box, its hot key, the second box, its hot key.
    EXPECT_EQ(NextTabStop(d.chkStartup), &Activate());
    EXPECT_EQ(NextTabStop(&Activate()), d.chkAutoSave);
    EXPECT_EQ(NextTabStop(d.chkAutoSave), &Execute());
    EXPECT_TRUE(d.btSave->isDefault());
}

// Under the hot-key boxes the dialog says how the keys work, where it is not by the program's own
// grabs (Windows, X11: the dialog keeps its size and says nothing), every line of it readable.
TEST_F(PreferenceDialog, SaysHowTheKeysWorkOnThisDesktop)
{
    using platform::HotKeyWay;
    const struct {
        HotKeyWay way;
        bool global;
        const char* sentence; // none: nothing said
        bool leave, lines;
    } ways[] = {
        {HotKeyWay::RegisterHotKey, true, nullptr, false, false},
        {HotKeyWay::XGrabs, true, nullptr, false, false},
        {HotKeyWay::Portal, true, texts::HotKeysThroughPortal, false, false},
        {HotKeyWay::Portal, false, texts::HotKeysNotGlobal, false, false}, // refused, nowhere else to go
        {HotKeyWay::KdeService, true, texts::HotKeysThroughKde, false, false},
        {HotKeyWay::GnomeShortcuts, false, texts::HotKeysThroughGnome, true, false},
        {HotKeyWay::ConfigLines, false, "Add these lines:", false, true},
    };
    for (const auto& row : ways) {
        TfrmMisc& d = OpenWhereKeysWork(row.way, row.global);
        const std::string where = "way " + std::to_string(int(row.way));
        if (!row.sentence) {
            EXPECT_FALSE(d.palHotKeysWay->isVisible()) << where;
            EXPECT_EQ(d.size(), QSize(404, 367)) << where;
            continue;
        }
        QLabel& note = *d.lblHotKeysWay;
        ASSERT_TRUE(note.isVisible()) << where;
        EXPECT_EQ(note.text().toStdString(), row.sentence) << where;
        EXPECT_EQ(d.chkDesktopShortcuts->isVisible(), row.leave) << where;
        EXPECT_EQ(d.txtHotKeyLines->isVisible(), row.lines) << where;
        EXPECT_EQ(d.btCopyLines->isVisible(), row.lines) << where;
        EXPECT_GE(note.height(), note.heightForWidth(note.width())) << where << ": every line shown whole";
        auto area = [&](QWidget* w) { return QRect(w->mapTo(&d, QPoint(0, 0)), w->size()); };
        const QRect said = area(d.palHotKeysWay);
        EXPECT_TRUE(d.rect().contains(said)) << where;
        EXPECT_TRUE(area(d.GroupBox1).contains(said)) << where;
        EXPECT_GE(said.top(), area(d.txtExecuteHotKey).bottom()) << where << ": below the hot-key boxes";
        for (QWidget* shown :
            std::initializer_list<QWidget*> {d.chkDesktopShortcuts, d.txtHotKeyLines, d.btCopyLines}) {
            if (shown->isVisible()) {
                EXPECT_TRUE(said.contains(area(shown))) << where << " " << shown->objectName().toStdString();
            }
        }
        for (QWidget* other : std::initializer_list<QWidget*> {d.GroupBox2, d.palButtom, d.chkScreenSaver})
            EXPECT_FALSE(area(other).intersects(said)) << where << " " << other->objectName().toStdString();
        EXPECT_EQ(d.width(), 404) << where;
    }
}

// Where the desktop binds no keys, the dialog shows the lines of its configuration for the letters
// the boxes show, as they are typed, and copies them whole.
TEST_F(PreferenceDialog, TheConfigurationLinesFollowTheLettersAndAreCopiedWhole)
{
    TfrmMisc& d = OpenWhereKeysWork(platform::HotKeyWay::ConfigLines, false);
    EXPECT_EQ(d.txtHotKeyLines->toPlainText().toStdString(), "bind 3 A KDX3 /show\nbind 3 E KDX3 /saver\n");
    QTest::keyClicks(&Activate(), "w");
    EXPECT_EQ(d.txtHotKeyLines->toPlainText().toStdString(), "bind 3 W KDX3 /show\nbind 3 E KDX3 /saver\n");
    Execute().selectAll();
    QTest::keyClick(&Execute(), Qt::Key_Delete);
    EXPECT_EQ(d.txtHotKeyLines->toPlainText().toStdString(), "bind 3 W KDX3 /show\n") << "an empty key binds nothing";
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(d.btCopyLines, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "bind 3 W KDX3 /show\n");
    EXPECT_TRUE(d.isVisible()) << "copying keeps the dialog open";
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(mainWindow.calls.empty());
}

// GNOME's custom shortcuts are the user's settings: the box shows whether the agent's keys are
// kept there, and only OK gives (or gives again) or takes back the leave, before the keys are
// registered again.
TEST_F(PreferenceDialog, GnomesShortcutsGetTheKeysOnlyWithTheLeaveGivenByOk)
{
    EXPECT_FALSE(OpenWhereKeysWork(platform::HotKeyWay::GnomeShortcuts, false).chkDesktopShortcuts->isChecked());
    dialog->chkDesktopShortcuts->setChecked(true);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(hotKeys->allowed) << "Cancel gives no leave";
    EXPECT_TRUE(mainWindow.calls.empty());

    Open().chkDesktopShortcuts->setChecked(true);
    dialog->btSave->click();
    EXPECT_TRUE(hotKeys->allowed);
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=A", "execute=E", "allow", "register"}));

    mainWindow.calls.clear();
    EXPECT_TRUE(Open().chkDesktopShortcuts->isChecked()) << "the leave that was given";
    dialog->btSave->click();
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=A", "execute=E", "allow", "register"}))
        << "OK with the box ticked gives it again, so a letter set anew goes there too";
    mainWindow.calls.clear();
    Open().chkDesktopShortcuts->setChecked(false);
    dialog->btSave->click();
    EXPECT_FALSE(hotKeys->allowed);
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=A", "execute=E", "disallow", "register"}));
}

TEST_F(PreferenceDialog, ShowsTheStoredSettings)
{
    Sandbox::Write(
        box.IniPath(), "[Misc]\nStartup=1\nAutoSave=0\nActivateHotKey=\nExecuteHotKey=x\n[RandomWhat]\n0=2\n1=0\n");
    TfrmMisc& d = Open();
    EXPECT_TRUE(d.chkStartup->isChecked());
    EXPECT_FALSE(d.chkAutoSave->isChecked());
    EXPECT_EQ(Activate().text(), "");
    EXPECT_EQ(Execute().text(), "Ctrl + Alt + x") << "a stored letter is shown as it is";
    EXPECT_TRUE(d.chkScreenSaver->isChecked());
    EXPECT_FALSE(d.chkFlash->isChecked());
    EXPECT_TRUE(d.chkPicture->isChecked());
}

TEST_F(PreferenceDialog, TypingReplacesTheLetterAndDeleteEmptiesTheBox)
{
    Open();
    Activate().setFocus();
    QTest::keyClick(&Activate(), Qt::Key_Q);
    EXPECT_EQ(Activate().text(), "Ctrl + Alt + Q");
    EXPECT_EQ(Activate().Letter(), "Q");
    QTest::keyClick(&Activate(), Qt::Key_7);
    EXPECT_EQ(Activate().Letter(), "7");
    QTest::keyClicks(&Activate(), "-");
    EXPECT_EQ(Activate().text(), "Ctrl + Alt + -");
    // The caret stands at the end, where Delete has nothing to delete.
    QTest::keyClick(&Activate(), Qt::Key_Delete);
    EXPECT_EQ(Activate().text(), "");
    EXPECT_EQ(Activate().Letter(), "");
    QTest::keyClick(&Activate(), Qt::Key_Backspace);
    EXPECT_EQ(Activate().Letter(), "\b") << "the character Backspace produces counts too";
    QTest::keyClick(&Activate(), Qt::Key_Home);
    EXPECT_EQ(Activate().Letter(), "\b") << "keys without a character leave the letter";
    EXPECT_EQ(Execute().text(), "Ctrl + Alt + E");
}

TEST_F(PreferenceDialog, TheActivateBoxKeepsItsSelectionWhenItLosesTheFocus)
{
    TfrmMisc& d = Open();
    QApplication::setActiveWindow(&d);
    Activate().setFocus();
    Activate().selectAll();
    Execute().setFocus();
    ASSERT_TRUE(Execute().hasFocus());
    EXPECT_EQ(Activate().selectedText(), "Ctrl + Alt + A");
    Execute().selectAll();
    Activate().setFocus();
    EXPECT_EQ(Execute().selectedText(), "") << "the execute box does not keep it";
}

TEST_F(PreferenceDialog, OkWritesTheSettingsThenReRegistersTheHotKeys)
{
    TfrmMisc& d = Open();
    d.chkPicture->setChecked(true);
    d.chkAutoSave->setChecked(false);
    QTest::keyClicks(&Activate(), "q");
    QTest::keyClicks(&Execute(), "z");
    QTest::mouseClick(d.btSave, Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(Ini(),
        "[RandomWhat]\r\n0=2\r\n[Misc]\r\nSub=0\r\nStartup=0\r\nAutoSave=0\r\nActivateHotKey=Q\r\n"
        "ExecuteHotKey=Z\r\n");
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=Q", "execute=Z", "register"}));
    EXPECT_FALSE((RunValue().status == platform::RegRead::Ok));
}

TEST_F(PreferenceDialog, OkWithoutChangesWritesTheSameValuesAndKeepsSub)
{
    Sandbox::Write(box.IniPath(), "[Misc]\nSub=1\nAutoSave=1\n[RandomWhat]\n0=1\n");
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    const TMisc misc = Stored();
    EXPECT_TRUE(misc.Sub);
    EXPECT_TRUE(misc.AutoSave);
    EXPECT_FALSE(misc.Startup);
    EXPECT_EQ(misc.ActivateHotKey, "A");
    EXPECT_EQ(misc.ExecuteHotKey, "E");
    EXPECT_EQ(misc.RandomWhat, TStrings {"1"});
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=A", "execute=E", "register"}));
}

TEST_F(PreferenceDialog, AnEmptiedActivateBoxIsStoredEmptyAndTheExecuteKeyStillRegistered)
{
    Open();
    Activate().selectAll();
    QTest::keyClick(&Activate(), Qt::Key_Delete);
    dialog->btSave->click();
    EXPECT_EQ(Stored().ActivateHotKey, "");
    EXPECT_EQ(mainWindow.calls, (Calls {"release", "activate=", "execute=E", "register"}));
}

TEST_F(PreferenceDialog, LoadOnStartupSetsAndRemovesTheLogOnEntries)
{
    Open().chkStartup->setChecked(true);
    dialog->btSave->click();
    EXPECT_TRUE((RunValue().status == platform::RegRead::Ok));
    EXPECT_EQ(RunValue().value, "\"" + box.InstallDir() + "/KDX3.exe\"");
    EXPECT_TRUE(Sandbox::Exists(platform::posix::PosixAutostart::EntryFile()));
    EXPECT_TRUE(Open().chkStartup->isChecked());
    dialog->chkStartup->setChecked(false);
    dialog->btSave->click();
    EXPECT_FALSE((RunValue().status == platform::RegRead::Ok));
    EXPECT_FALSE(Sandbox::Exists(platform::posix::PosixAutostart::EntryFile()));
}

TEST_F(PreferenceDialog, CancelEscapeAndTheCloseBoxWriteNothing)
{
    Sandbox::Write(box.IniPath(), "[Misc]\nActivateHotKey=A\n");
    Stored(); // the first settings store records the install folder
    const std::string ini = Ini(), registry = Registry();
    for (int way = 0; way < 3; ++way) {
        TfrmMisc& d = Open();
        d.chkStartup->setChecked(true);
        d.chkFlash->setChecked(true);
        QTest::keyClicks(&Activate(), "w");
        if (way == 0)
            QTest::mouseClick(d.btCancel, Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(&Activate(), Qt::Key_Escape);
        else
            d.close();
        EXPECT_EQ(d.result(), QDialog::Rejected) << way;
        EXPECT_FALSE(d.isVisible()) << way;
        EXPECT_EQ(Activate().Letter(), "W") << "Escape did not become the letter";
    }
    dialog.reset();
    EXPECT_EQ(Ini(), ini);
    EXPECT_EQ(Registry(), registry);
    EXPECT_TRUE(mainWindow.calls.empty());
}

TEST_F(PreferenceDialog, AFailingWriteIsRaisedTheDialogClosesAndTheHotKeysStayAsTheyWere)
{
    TfrmMisc& d = Open();
    QTest::keyClicks(&Activate(), "k");
    // The owner-write bit stands for the read-only attribute, honoured for root too.
    std::filesystem::permissions(
        box.InstallDir(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    try {
        d.btSaveClick();
        ADD_FAILURE() << "no error raised";
    } catch (const EKaleidraError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + box.IniPath());
    }
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(mainWindow.calls.empty());
}

TEST_F(PreferenceDialog, HelpOpensThePreferencePageAndTheDialogStaysOpen)
{
    RecordingShell shell;
    platform::Services services = platform::Current();
    services.shell = &shell;
    platform::ScopedServices scoped(services);
    std::filesystem::create_directories(box.InstallDir() + "/help");
    for (const char* page : {"/help/index.html", "/help/preference.html"})
        Sandbox::Write(box.InstallDir() + page, "<html></html>");
    TfrmMisc& d = Open();
    QTest::mouseClick(d.btHelp, Qt::LeftButton);
    EXPECT_EQ(shell.started, std::vector<std::string> {"open " + box.InstallDir() + "/help/preference.html "});
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(mainWindow.calls.empty());
}

} // namespace
