// What the Flash panel does differently: its file rule, keyboard picking and its options.
#include "ListsTestSupport.h"
#include "lists/TListBox.h"
#include "lists/TfrmFlash.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kdx;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

class FlashEditor : public test::EditorTest {
protected:
    std::string tree = box.Root() + "/movies/";

    FlashEditor()
    {
        fs::create_directories(tree);
        for (const char* name : {"intro.swf", "Kaleidra.swf", "movie.SWF", "clip.txt"})
            Sandbox::Write(tree + name, "FWS");
    }

    std::unique_ptr<TfrmFlash> Open() { return EditorTest::Open<TfrmFlash>(); }
};

TEST_F(FlashEditor, SearchSkipsTheProductsOwnMovieButAddFilesTakesIt)
{
    auto panel = Open();
    test::AnswerNextFileDialog({QString::fromStdString(tree)});
    test::SearchPane(*panel).btBrowserClick();
    test::SearchPane(*panel).btSearchClick();
    QStringList rows = test::Rows(test::ListBox(*panel, "lsSearch"));
    rows.sort();
    EXPECT_EQ(rows, (QStringList {"INTRO.SWF", "MOVIE.SWF"}));

    test::AnswerNextFileDialog({QString::fromStdString(tree + "Kaleidra.swf")});
    panel->btAddFilesClick();
    EXPECT_EQ(panel->WorkList(), TStrings {tree + "Kaleidra.swf"});
}

TEST_F(FlashEditor, KeyboardMovesPickTheEntryForPreview)
{
    Sandbox::Write(box.IniPath(), "[FlashList]\n0=" + tree + "intro.swf\n1=" + tree + "movie.SWF\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsFlash");
    panel->btPreviewClick();
    EXPECT_EQ(messages.shown, std::vector<std::string> {"Warning: You have to select a flash before you preview it."});
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->CurrentRow(), 1);
    EXPECT_TRUE(panel->findChild<QToolButton*>("btPreview")->isEnabled());
    panel->btPreviewClick();
    EXPECT_EQ(shell.launches, std::vector<std::string> {"open|" + tree + "movie.SWF|"});

    fs::remove(tree + "movie.SWF");
    panel->btPreviewClick();
    EXPECT_EQ(messages.shown.back(), "Warning: This flash file does not exist!");
}

// Only a selection the user makes picks an entry: the focus arriving by Tab makes the first
// row current, which is no pick.
TEST_F(FlashEditor, TabbingIntoTheListPicksNothing)
{
    Sandbox::Write(box.IniPath(), "[FlashList]\n0=" + tree + "intro.swf\n1=" + tree + "movie.SWF\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsFlash");
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    list->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(list->hasFocus());
    EXPECT_EQ(list->CurrentRow(), 0) << "Qt makes the first row current";
    for (const char* name : {"btPreview", "btDelete"})
        EXPECT_FALSE(panel->findChild<QToolButton*>(name)->isEnabled()) << name;
    EXPECT_FALSE(panel->findChild<QAction*>("mnuProperties")->isEnabled());
    panel->btPreviewClick();
    EXPECT_EQ(messages.shown, std::vector<std::string> {"Warning: You have to select a flash before you preview it."});
    EXPECT_TRUE(shell.launches.empty());
}

// A real double-click below the last row previews the entry picked before, if any.
TEST_F(FlashEditor, ADoubleClickBelowTheLastRowPreviewsTheEntryPickedBefore)
{
    Sandbox::Write(box.IniPath(), "[FlashList]\n0=" + tree + "intro.swf\n");
    auto panel = Open();
    auto* list = panel->findChild<TListBox*>("lsFlash");
    const QPoint below(10, list->viewport()->height() - 3);
    ASSERT_EQ(list->indexAt(below).row(), -1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(messages.shown, std::vector<std::string> {"Warning: You have to select a flash before you preview it."});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(0).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(shell.launches, std::vector<std::string> {"open|" + tree + "intro.swf|"});
}

TEST_F(FlashEditor, TheRandomTypeListOpensAsTheUserTypes)
{
    auto panel = Open();
    auto* type = panel->findChild<QComboBox*>("cboxRandomType");
    EXPECT_TRUE(test::TypeIntoDropDown(type, "random o"));
    EXPECT_EQ(type->currentText(), "Random one flash");
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled());
}

TEST_F(FlashEditor, OptionsRoundTripAndResetNeverEnablesSave)
{
    Sandbox::Write(box.IniPath(), "[Flash]\nRandomType=1\nSize=1\n");
    auto panel = Open();
    auto* size = panel->findChild<QComboBox*>("cboxFlashSize");
    EXPECT_EQ(size->currentText(), "Full Screen");
    panel->btResetClick();
    EXPECT_FALSE(panel->findChild<QToolButton*>("btSave")->isEnabled());
    panel->btSaveClick();
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("RandomType=1\nSize=1\n"), std::string::npos) << ini;
    EXPECT_EQ(panel->findChild<QToolButton*>("btConfig"), nullptr) << "no Config command here";
}

} // namespace
