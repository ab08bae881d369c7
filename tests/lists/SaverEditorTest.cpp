// The shared list editor, driven through the screensaver panel against real folders and a
// real settings file.
#include "ListsTestSupport.h"
#include "lists/TListBox.h"
#include "lists/TfrmSaver.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kdx;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

class SaverEditor : public test::EditorTest {
protected:
    std::string tree = box.Root() + "/tree/";

    void Touch(const std::string& path)
    {
        fs::create_directories(fs::path(path).parent_path());
        Sandbox::Write(path, "not really a program");
    }

    std::unique_ptr<TfrmSaver> Open() { return EditorTest::Open<TfrmSaver>(); }

    static void Click(QObject* panel, const char* name)
    {
        QTest::mouseClick(panel->findChild<QToolButton*>(name), Qt::LeftButton);
    }

    // Chooses Folder as the search folder the way Browse does.
    static void Browse(TfrmSaver& panel, const std::string& folder)
    {
        test::AnswerNextFileDialog({QString::fromStdString(folder)});
        test::SearchPane(panel).btBrowserClick();
    }

    static void PressRow(
        TfrmSaver& panel, int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        auto* list = panel.findChild<TListBox*>("lsSaver");
        const QPoint pos
            = row < list->Count() ? list->RowRect(row).center() : QPoint(10, list->viewport()->height() - 3);
        QTest::mousePress(list->viewport(), button, mods, pos);
        QTest::mouseRelease(list->viewport(), button, mods, pos);
    }
};

TEST_F(SaverEditor, SearchFollowsTheFolderRulesAndListsDisplayNamesUpperCased)
{
    Touch(tree + "a.scr");
    Touch(tree + "B.SCR");
    Touch(tree + ".hidden-file.scr");
    Touch(tree + "Kaleidra Deluxe.scr");
    Touch(tree + "note.txt");
    Touch(tree + "sub/c.scr");
    Touch(tree + "sub/deeper/d.Scr");
    Touch(tree + ".hiddendir/e.scr");
    Touch(tree + "locked/f.scr");
    chmod((tree + "locked").c_str(), 0555);
    fs::create_directory_symlink(tree + "sub", tree + "link");
    fs::create_directory_symlink(tree, tree + "sub/loop");

    auto panel = Open();
    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(true);
    Click(panel.get(), "btSearch");

    const QStringList rows = test::Rows(test::ListBox(*panel, "lsSearch"));
    QStringList sorted = rows;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList {".HIDDEN-FILE.SCR", "A.SCR", "B.SCR", "C.SCR", "D.SCR"}));
    EXPECT_EQ(rows.indexOf("C.SCR") > rows.indexOf("A.SCR"), true) << "a folder's own hits come first";
    EXPECT_LT(rows.indexOf("C.SCR"), rows.indexOf("D.SCR"));
    EXPECT_EQ(host.status[CountPanel], "Found:5");
    EXPECT_EQ(host.status[TextPanel], "Search done");
}

TEST_F(SaverEditor, SearchWithoutSubFoldersOrFolder)
{
    Touch(tree + "a.scr");
    Touch(tree + "sub/c.scr");
    auto panel = Open();
    Click(panel.get(), "btSearch");
    EXPECT_EQ(host.status[TextPanel], "Select a folder to search.");

    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(false);
    Click(panel.get(), "btSearch");
    EXPECT_EQ(test::Rows(test::ListBox(*panel, "lsSearch")), QStringList {"A.SCR"});
    EXPECT_TRUE(host.enteredFolders.empty()) << "no sub-folder shown, no messages processed";

    fs::remove_all(tree);
    Click(panel.get(), "btSearch");
    EXPECT_EQ(host.status[CountPanel], "Found:0");
    EXPECT_EQ(host.status[TextPanel], "Search done");
}

TEST_F(SaverEditor, StopKeepsTheHitsFoundSoFar)
{
    Touch(tree + "top.scr");
    for (const char* sub : {"s1", "s2", "s3"})
        Touch(tree + sub + "/x.scr");
    auto panel = Open();
    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(true);
    host.onceInProcessMessages = [&] { Click(panel.get(), "btStop"); };
    Click(panel.get(), "btSearch");
    EXPECT_EQ(test::Rows(test::ListBox(*panel, "lsSearch")).size(), 2) << "the top hit and one sub-folder";
    EXPECT_EQ(host.status[CountPanel], "Found:2");
    EXPECT_EQ(host.status[TextPanel], "User stopped searching...");
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSearch")->isVisible());
    EXPECT_FALSE(panel->findChild<QToolButton*>("btStop")->isVisible());
}

TEST_F(SaverEditor, ASecondSearchWaitsUntilTheFirstHasEnded)
{
    for (const char* sub : {"s1", "s2", "s3"})
        Touch(tree + sub + "/x.scr");
    auto panel = Open();
    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(true);
    host.onceInProcessMessages = [&] {
        test::SearchPane(*panel).btStopClick();
        EXPECT_FALSE(panel->findChild<QToolButton*>("btSearch")->isEnabled());
        test::SearchPane(*panel).btSearchClick(); // refused while the first one unwinds
    };
    test::SearchPane(*panel).btSearchClick();
    auto* search = test::ListBox(*panel, "lsSearch");
    EXPECT_EQ(search->Count(), 1);
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSearch")->isEnabled());
    test::SearchPane(*panel).btSearchClick();
    EXPECT_EQ(search->Count(), 3) << "rows and found files agree afterwards";
}

TEST_F(SaverEditor, LeavingThePanelDuringASearchEndsItSafelyAndSaves)
{
    for (const char* sub : {"s1", "s2", "s3"})
        Touch(tree + sub + "/x.scr");
    Touch(box.Root() + "/kept.scr");
    auto panel = Open();
    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(true);
    test::AnswerNextFileDialog({QString::fromStdString(box.Root() + "/kept.scr")});
    panel->btAddFilesClick();
    TfrmSaver* raw = panel.get();
    host.onceInProcessMessages = [&] {
        raw->FormHide();
        panel.reset(); // destroyed while its search is on the stack
    };
    test::SearchPane(*raw).btSearchClick();
    EXPECT_FALSE(panel);
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("0=" + box.Root() + "/kept.scr"), std::string::npos)
        << "saved on leaving";
}

TEST_F(SaverEditor, CheckTogglesAndMoveAppendsTickedRowsEachTime)
{
    Touch(tree + "a.scr");
    Touch(tree + "b.scr");
    Touch(tree + "c.scr");
    auto panel = Open();
    auto* search = test::ListBox(*panel, "lsSearch");
    auto* save = panel->findChild<QToolButton*>("btSave");
    Click(panel.get(), "btAdd");
    EXPECT_FALSE(save->isEnabled()) << "Move with an empty search list does nothing";

    Browse(*panel, tree);
    Click(panel.get(), "btSearch");
    ASSERT_EQ(search->Count(), 3);
    Click(panel.get(), "btCheck");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(search->Entries().IsChecked(i));
    Click(panel.get(), "btCheck");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(search->Entries().IsChecked(i));

    Click(panel.get(), "btAdd");
    EXPECT_TRUE(panel->WorkList().empty());
    EXPECT_TRUE(save->isEnabled()) << "even when no row was ticked";

    search->model()->setData(search->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    search->model()->setData(search->model()->index(2, 0), Qt::Checked, Qt::CheckStateRole);
    Click(panel.get(), "btAdd");
    Click(panel.get(), "btAdd");
    ASSERT_EQ(panel->WorkList().size(), 4u);
    EXPECT_EQ(panel->WorkList()[0], panel->WorkList()[2]);
    EXPECT_EQ(panel->WorkList()[1], panel->WorkList()[3]);
    EXPECT_NE(panel->WorkList()[0], panel->WorkList()[1]);
}

TEST_F(SaverEditor, DeleteRemovesExactlyTheSelectedRows)
{
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/p0.scr\n1=/p1.scr\n2=/p2.scr\n3=/p3.scr\n4=/p4.scr\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsSaver");
    for (int row : {1, 3, 4})
        test::SelectRow(list, row);
    Click(panel.get(), "btDelete"); // disabled until an entry is picked
    EXPECT_EQ(panel->WorkList().size(), 5u);
    PressRow(*panel, 4, Qt::LeftButton, Qt::ControlModifier);
    test::SelectRow(list, 1);
    test::SelectRow(list, 3);
    test::SelectRow(list, 4);
    Click(panel.get(), "btDelete");
    EXPECT_EQ(panel->WorkList(), (TStrings {"/p0.scr", "/p2.scr"}));
    EXPECT_EQ(list->Count(), 2);
    EXPECT_FALSE(panel->findChild<QToolButton*>("btDelete")->isEnabled());
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled());
}

TEST_F(SaverEditor, ClearAllResetAndTheSaveButton)
{
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n1=/b.scr\n[Saver]\nInterval=30\nRandomType=1\n");
    auto panel = Open();
    auto* save = panel->findChild<QToolButton*>("btSave");
    auto* type = panel->findChild<QComboBox*>("cboxSaverRandomType");
    auto* interval = panel->findChild<QSpinBox*>("txtSaverInterval");
    EXPECT_FALSE(save->isEnabled()) << "creation never leaves Save enabled";
    EXPECT_EQ(type->currentIndex(), 1);
    EXPECT_EQ(interval->value(), 30);

    panel->mnuClearClick();
    EXPECT_TRUE(panel->WorkList().empty());
    EXPECT_TRUE(save->isEnabled());
    Click(panel.get(), "btSave");
    EXPECT_FALSE(save->isEnabled());

    panel->btResetClick();
    EXPECT_TRUE(panel->WorkList().empty()) << "reset reloads what is stored";
    EXPECT_FALSE(save->isEnabled()) << "an unchanged interval does not enable Save";
    interval->setValue(45);
    EXPECT_TRUE(save->isEnabled());
    Click(panel.get(), "btSave");
    type->setCurrentIndex(0);
    panel->btResetClick();
    EXPECT_EQ(type->currentIndex(), 1) << "the stored type is shown again";
    EXPECT_EQ(Sandbox::Read(box.IniPath()).find("[SaverList]"), std::string::npos) << "an empty list has no keys";
}

TEST_F(SaverEditor, OptionsOutOfRangeAreClampedOrKept)
{
    Sandbox::Write(box.IniPath(), "[Saver]\nInterval=0\nRandomType=7\n");
    auto panel = Open();
    EXPECT_EQ(panel->findChild<QSpinBox*>("txtSaverInterval")->value(), 1);
    EXPECT_EQ(panel->findChild<QComboBox*>("cboxSaverRandomType")->currentIndex(), -1);
    panel->btSaveClick();
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("Interval=1\n"), std::string::npos);
    EXPECT_NE(ini.find("RandomType=7\n"), std::string::npos) << "a value the list cannot show is kept, not lost";

    auto* interval = panel->findChild<QSpinBox*>("txtSaverInterval");
    interval->findChild<QLineEdit*>()->setText("5000");
    panel->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Interval=999\n"), std::string::npos);
    interval->findChild<QLineEdit*>()->clear();
    panel->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Interval=1\n"), std::string::npos);
}

TEST_F(SaverEditor, RecentFoldersMoveToTheFrontAndKeepTwenty)
{
    std::string section = "[RecentFolder]\n";
    for (int i = 0; i < 22; ++i) {
        fs::create_directories(box.Root() + "/f" + std::to_string(i));
        section += std::to_string(i) + "=" + box.Root() + "/f" + std::to_string(i) + "/\n";
    }
    Sandbox::Write(box.IniPath(), section);
    auto panel = Open();
    auto* folders = panel->findChild<QComboBox*>("cboxDriver");
    EXPECT_EQ(folders->count(), 22) << "a longer section fills the box whole";
    const QString third = folders->itemText(2);
    test::SearchPane(*panel).cboxDriverChange(2);
    EXPECT_EQ(folders->itemText(0), third);
    EXPECT_EQ(folders->count(), 20);
    EXPECT_EQ(folders->toolTip(), third);

    fs::create_directories(box.Root() + "/new");
    Browse(*panel, box.Root() + "/new");
    EXPECT_EQ(folders->itemText(0).toStdString(), box.Root() + "/new/") << "a separator is appended";
    EXPECT_EQ(folders->count(), 20);
    EXPECT_EQ(folders->itemText(1), third);
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("0=" + box.Root() + "/new/\n"), std::string::npos);
    EXPECT_EQ(ini.find("20="), std::string::npos);

    test::SearchPane(*panel).cboxDriverChange(0);
    EXPECT_EQ(folders->itemText(0).toStdString(), box.Root() + "/new/");
}

TEST_F(SaverEditor, ViewModesChangeOnlyTheRows)
{
    Touch(tree + "present.scr");
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=" + tree + "present.scr\n1=/gone/missing.scr\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsSaver");
    EXPECT_EQ(test::Rows(list), (QStringList {"PRESENT.SCR", "FILE NOT FOUND!"}));
    panel->mnuFullPathClick();
    EXPECT_EQ(test::Rows(list), (QStringList {QString::fromStdString(tree + "present.scr"), "/gone/missing.scr"}));
    EXPECT_TRUE(panel->findChild<QAction*>("mnuFullPath")->isChecked());
    EXPECT_FALSE(panel->findChild<QAction*>("mnuFileName")->isChecked());
    EXPECT_FALSE(panel->findChild<QToolButton*>("btSave")->isEnabled());
}

TEST_F(SaverEditor, TheRandomTypeListOpensAsTheUserTypes)
{
    auto panel = Open();
    auto* type = panel->findChild<QComboBox*>("cboxSaverRandomType");
    EXPECT_TRUE(test::TypeIntoDropDown(type, "Random one"));
    EXPECT_EQ(type->currentText(), "Random one screensaver");
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled());
}

TEST_F(SaverEditor, AutomaticSaveOnLeavingFollowsThePreference)
{
    const std::string added = box.Root() + "/b.scr";
    Touch(added);
    const auto addB = [&](TfrmSaver& panel) {
        test::AnswerNextFileDialog({QString::fromStdString(added)});
        panel.btAddFilesClick();
    };
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n");
    {
        auto panel = Open();
        addB(*panel);
        EXPECT_TRUE(panel->FormHide());
    }
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("1=" + added), std::string::npos);
    Sandbox::Write(box.IniPath(), "[Misc]\nAutoSave=0\n[SaverList]\n0=/a.scr\n");
    {
        auto panel = Open();
        addB(*panel);
        EXPECT_TRUE(panel->FormHide());
    }
    EXPECT_EQ(Sandbox::Read(box.IniPath()).find(added), std::string::npos);
    // Leaving saves whatever the state of Save: with nothing edited the list and options are
    // written all the same, a hand-edited interval of 0 as the 1 the panel shows.
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n[Misc]\nSub=1\n[Saver]\nInterval=0\n");
    {
        auto panel = Open();
        EXPECT_TRUE(panel->FormHide());
    }
    EXPECT_EQ(
        Sandbox::Read(box.IniPath()), "[SaverList]\n0=/a.scr\n[Misc]\nSub=1\n[Saver]\nInterval=1\nRandomType=0\n");
    // A settings file that cannot be written, and nothing edited: the user leaves without a word.
    const std::string before = Sandbox::Read(box.IniPath());
    chmod(box.IniPath().c_str(), 0444);
    {
        auto panel = Open();
        EXPECT_TRUE(panel->FormHide());
    }
    EXPECT_EQ(messages.shown, std::vector<std::string> {});
    EXPECT_EQ(Sandbox::Read(box.IniPath()), before);
    chmod(box.IniPath().c_str(), 0644);
}

// Opening a panel shows the stored "Include sub-folder" choice; over a settings file that cannot
// be written, that never brings up an error (it used to, at five of six moves between panels).
// The user's own click on the box still says when it cannot be stored.
TEST_F(SaverEditor, OpeningAPanelOverAReadOnlySettingsFileReportsNothing)
{
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n");
    chmod(box.IniPath().c_str(), 0444);
    auto panel = Open();
    auto* sub = panel->findChild<QCheckBox*>("chkSub");
    EXPECT_TRUE(sub->isChecked()) << "true while the key is missing";
    EXPECT_EQ(messages.shown, std::vector<std::string> {});
    sub->click();
    EXPECT_EQ(messages.shown, std::vector<std::string> {"Kaleidra Agent: Unable to write to " + box.IniPath()});
    chmod(box.IniPath().c_str(), 0644);
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n");
    auto writable = Open();
    EXPECT_EQ(Sandbox::Read(box.IniPath()), "[SaverList]\n0=/a.scr\n[Misc]\nSub=1\n")
        << "stored as the box shows it, where it can be";
}

TEST_F(SaverEditor, ConfigAndPreviewWarnOrLaunchThePickedFile)
{
    Touch(tree + "real.scr");
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=" + tree + "real.scr\n1=/gone.scr\n");
    auto panel = Open();
    panel->btConfigClick();
    panel->btPreviewClick();
    auto* list = panel->findChild<TListBox*>("lsSaver");
    list->onDoubleClick();
    EXPECT_EQ(messages.shown,
        (std::vector<std::string> {"Warning: You have to select a screensaver before you config it.",
            "Warning: You have to select a screensaver before you preview it.",
            "Warning: You have to select a screensaver before you preview it."}));
    PressRow(*panel, 1);
    panel->btPreviewClick();
    EXPECT_EQ(messages.shown.back(), "Warning: This screensaver file does not exist!");
    PressRow(*panel, 0);
    panel->btConfigClick();
    panel->btPreviewClick();
    EXPECT_EQ(
        shell.launches, (std::vector<std::string> {"config|" + tree + "real.scr| \\c", "open|" + tree + "real.scr|"}));

    panel->mnuClearClick();
    list->onDoubleClick();
    EXPECT_EQ(shell.launches.back(), "open|" + tree + "real.scr|") << "the entry picked before the clear";
    EXPECT_FALSE(panel->findChild<QToolButton*>("btConfig")->isEnabled());
}

// The pop-up menu's shortcuts act while the random list has the keyboard focus, and a disabled
// item does nothing through its shortcut either.
TEST_F(SaverEditor, PopupShortcutsActOnlyInTheListAndOnlyWhenTheirItemIsOn)
{
    Touch(tree + "a.scr");
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=" + tree + "a.scr\n1=/b.scr\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsSaver");
    auto* search = test::ListBox(*panel, "lsSearch");
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    list->setFocus();
    list->SetCurrentRow(0, QItemSelectionModel::ClearAndSelect); // selected, yet not picked
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(list->Count(), 2) << "Delete is off until an entry is picked";
    EXPECT_TRUE(shell.launches.empty()) << "so is Properties";

    PressRow(*panel, 0);
    search->setFocus();
    QTest::keyClick(search, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(search, Qt::Key_Delete);
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_EQ(list->Count(), 2);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(shell.launches, std::vector<std::string> {"properties|" + tree + "a.scr"});
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(panel->WorkList(), TStrings {"/b.scr"});
    search->setFocus();
    QTest::keyClick(search, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(list->Count(), 1) << "Reset only from the list";
    list->setFocus();
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(SaverEditor, RightClickBelowTheRowsPicksNothing)
{
    Sandbox::Write(box.IniPath(), "[SaverList]\n0=/a.scr\n");
    auto panel = Open();
    PressRow(*panel, 0, Qt::RightButton);
    EXPECT_TRUE(panel->findChild<QToolButton*>("btDelete")->isEnabled());
    PressRow(*panel, 1, Qt::RightButton);
    EXPECT_FALSE(panel->findChild<QToolButton*>("btDelete")->isEnabled());
    EXPECT_EQ(panel->findChild<TListBox*>("lsSaver")->CurrentRow(), -1);
    QTest::qWait(10);
    if (auto* menu = panel->findChild<QMenu*>("PopupMenu1"))
        menu->close();
}

// A list has no bound: past the 100 entries the settings file used to give back, Move and Add
// Files take every file, say nothing, and Save writes every entry.
TEST_F(SaverEditor, MoveAndAddFilesTakeEveryFilePastAHundredEntries)
{
    for (int i = 0; i < 3; ++i)
        Touch(tree + "x" + std::to_string(i) + ".scr");
    std::string section = "[SaverList]\n";
    for (int i = 0; i < 99; ++i)
        section += std::to_string(i) + "=/p" + std::to_string(i) + ".scr\n";
    Sandbox::Write(box.IniPath(), section);
    auto panel = Open();
    Browse(*panel, tree);
    Click(panel.get(), "btSearch");
    Click(panel.get(), "btCheck");
    Click(panel.get(), "btAdd");
    test::AnswerNextFileDialog({QString::fromStdString(tree + "x0.scr"), QString::fromStdString(tree + "x1.scr")});
    panel->btAddFilesClick();
    EXPECT_EQ(panel->WorkList().size(), 104u);
    EXPECT_EQ(test::ListBox(*panel, "lsSaver")->Count(), 104);
    EXPECT_TRUE(messages.shown.empty());
    panel->btSaveClick();
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("98=/p98.scr\n99=" + tree), std::string::npos) << ini;
    EXPECT_NE(ini.find("103=" + tree + "x1.scr\n"), std::string::npos) << ini;
}

TEST_F(SaverEditor, AddFilesSkipsTheProductsOwnScreensaverButEnablesSave)
{
    Touch(tree + "mine.scr");
    Touch(tree + "Kaleidra.scr");
    auto panel = Open();
    test::AnswerNextFileDialog(
        {QString::fromStdString(tree + "mine.scr"), QString::fromStdString(tree + "Kaleidra.scr")});
    panel->btAddFilesClick();
    EXPECT_EQ(panel->WorkList(), TStrings {tree + "mine.scr"});
    test::AnswerNextFileDialog({});
    panel->btSaveClick();
    panel->btAddFilesClick();
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled()) << "also when cancelled";
    EXPECT_TRUE(messages.shown.empty());
}

// A file name the settings file cannot hold (a line break in it) would make every later Save
// of the list fail; it is turned away where it would enter the list, and the rest saves.
TEST_F(SaverEditor, NamesWithLineBreaksAreTurnedAwayWhereTheyWouldEnterTheList)
{
    const std::string broken = "two\nlines.scr";
    Touch(tree + "fine.scr");
    Touch(tree + broken);
    Touch(tree + "sub/also\rbroken.scr");
    auto panel = Open();
    Browse(*panel, tree);
    panel->findChild<QCheckBox*>("chkSub")->setChecked(true);
    Click(panel.get(), "btSearch");
    EXPECT_EQ(test::Rows(test::ListBox(*panel, "lsSearch")), QStringList {"FINE.SCR"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
        "Warning: 2 file(s) found were left out: a name with a line break cannot be stored in the settings file.");
    Click(panel.get(), "btCheck");
    Click(panel.get(), "btAdd");

    test::AnswerNextFileDialog({QString::fromStdString(tree + broken), QString::fromStdString(tree + "fine.scr")});
    panel->btAddFilesClick();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1],
        "Warning: These files were not added: a name with a line break cannot be stored in the settings "
        "file.\n"
            + tree + "two\\nlines.scr");
    EXPECT_EQ(panel->WorkList(), (TStrings {tree + "fine.scr", tree + "fine.scr"}));
    panel->btSaveClick();
    TSavers saved;
    TConfig().LoadSavers(saved);
    EXPECT_EQ(saved.Items, panel->WorkList());

    const std::string odd = box.Root() + "/odd\nfolder";
    fs::create_directories(odd);
    Browse(*panel, odd);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2],
        "Warning: This folder cannot be chosen: a name with a line break cannot be stored in the settings file.\n"
            + box.Root() + "/odd\\nfolder");
    EXPECT_EQ(panel->findChild<QComboBox*>("cboxDriver")->currentText().toStdString(), tree);
}

} // namespace
