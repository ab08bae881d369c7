// The list editors at the size of a photo collection: a list of 100,000 entries opens, scrolls,
// selects, deletes and saves without a pause a user notices, a search that finds 100,000 files
// lists and moves them all, and a list's names are made for the rows on the screen only.
#include "ListsTestSupport.h"
#include "lists/TfrmSaver.h"
#include "lists/TfrmWallpaper.h"
#include "support/Sandbox.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QToolButton>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kdx;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

#ifdef __SANITIZE_ADDRESS__
// Instrumented code runs many times slower than a user's build: there the path is checked for
// memory faults at a tenth of the size, and its pauses are judged by the plain build only.
constexpr int Collection = 10000;
constexpr bool Timed = false;
#else
constexpr int Collection = 100000;
constexpr bool Timed = true;
#endif
// Far above what each step takes here, far below what a step takes that reads every entry's
// file or moves the whole list once per entry.
constexpr qint64 NoticeablePauseMs = 1000;

class LargeLists : public test::EditorTest {
protected:
    std::string folder = box.Root() + "/collection/";

    LargeLists() { fs::create_directories(folder); }

    // Count empty files named NAME<n>.EXT in the folder.
    void MakeFiles(int count, const char* ext)
    {
        for (int n = 0; n < count; ++n) {
            const std::string path = folder + "IMG_" + std::to_string(n) + ext;
            ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0644));
        }
    }

    // Runs Step (What) and, where the build is timed, expects it to hold the window, drawing
    // included, for less than a pause a user notices.
    static void Quick(QWidget& panel, const char* what, const std::function<void()>& step)
    {
        QElapsedTimer held;
        held.start();
        step();
        static_cast<void>(panel.grab());
        if constexpr (Timed) {
            EXPECT_LT(held.elapsed(), NoticeablePauseMs) << what;
        }
    }

    static void Click(QWidget& panel, const char* name)
    {
        QTest::mouseClick(panel.findChild<QToolButton*>(name), Qt::LeftButton);
    }

    static void Search(QWidget& panel, const std::string& folder)
    {
        test::AnswerNextFileDialog({QString::fromStdString(folder)});
        test::SearchPane(panel).btBrowserClick();
        panel.findChild<QCheckBox*>("chkSub")->setChecked(false);
        Click(panel, "btSearch");
    }
};

TEST_F(LargeLists, AHundredThousandPicturesAreFoundMovedScrolledDeletedFromAndSaved)
{
    constexpr int Count = Collection;
    MakeFiles(Count, ".jpg");
    auto panel = Open<TfrmWallpaper>();
    auto* search = test::ListBox(*panel, "lsSearch");
    auto* list = test::ListBox(*panel, "lsPaper");

    Quick(*panel, "search", [&] { Search(*panel, folder); });
    ASSERT_EQ(search->Count(), Count);
    EXPECT_EQ(host.status[CountPanel], QString("Found:%1").arg(Count));
    Quick(*panel, "Check", [&] { Click(*panel, "btCheck"); });
    EXPECT_TRUE(search->Entries().IsChecked(0) && search->Entries().IsChecked(Count - 1));
    Quick(*panel, "Move", [&] { Click(*panel, "btAdd"); });
    ASSERT_EQ(list->Count(), Count);
    EXPECT_EQ(panel->WorkList(), test::SearchPane(*panel).FoundFiles);
    EXPECT_TRUE(messages.shown.empty());

    Quick(*panel, "scroll", [&] { list->scrollToBottom(); });
    const std::string last = panel->WorkList().back();
    QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(last), "JPG"); // the picked one previews
    const QPoint lastRow = list->RowRect(Count - 1).center();
    ASSERT_TRUE(list->viewport()->rect().contains(lastRow));
    Quick(*panel, "pick", [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, lastRow); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->PreviewPending(); }, 10000));
    EXPECT_EQ(list->RowText(Count - 1), QString::fromStdString(fs::path(last).filename().string()).toUpper());
    EXPECT_EQ(list->SelectedRows(), std::vector<int> {Count - 1});
    ASSERT_TRUE(panel->findChild<QToolButton*>("btDelete")->isEnabled());

    Quick(*panel, "Delete", [&] { Click(*panel, "btDelete"); });
    EXPECT_EQ(list->Count(), Count - 1);
    ASSERT_EQ(panel->WorkList().size(), size_t(Count - 1));
    EXPECT_EQ(panel->WorkList().back(), test::SearchPane(*panel).FoundFiles[Count - 2]);
    // Writing and reading the settings file are the settings store's, timed by its own tests and
    // by bench/run; here they must keep every entry.
    Click(*panel, "btSave");
    const std::string ini = Sandbox::Read(box.IniPath());
    EXPECT_NE(ini.find("[PaperList]\r\n0=" + panel->WorkList().front() + "\r\n1="), std::string::npos);
    EXPECT_NE(ini.find("\n" + std::to_string(Count - 2) + "=" + panel->WorkList().back() + "\r\n["), std::string::npos);
    EXPECT_EQ(ini.find(last), std::string::npos) << "the deleted entry is gone from the file";

    // A new panel shows every entry the settings store gives back.
    TWallpaper stored;
    TConfig().LoadWallpaper(stored);
    auto again = Open<TfrmWallpaper>();
    EXPECT_EQ(again->WorkList(), stored.Items);
    EXPECT_EQ(test::ListBox(*again, "lsPaper")->Count(), int(stored.Items.size()));
}

// A screensaver's name is read from its file: the search reads each file it finds, once, for
// its hit rule; the lists read only the rows they draw, whatever their size.
TEST_F(LargeLists, NamesAreReadForTheRowsOnTheScreenOnly)
{
    constexpr int Count = 3000, Drawn = 100;
    MakeFiles(Count, ".scr");
    auto panel = Open<TfrmSaver>();
    auto* list = test::ListBox(*panel, "lsSaver");
    Search(*panel, folder);
    static_cast<void>(panel->grab());
    EXPECT_GE(shell.resourceReads, Count);
    EXPECT_LT(shell.resourceReads, Count + Drawn) << "the search list reads its rows on the screen";

    const auto reads = [&](const std::function<void()>& step) {
        const int before = shell.resourceReads;
        step();
        static_cast<void>(panel->grab());
        return shell.resourceReads - before;
    };
    Click(*panel, "btCheck");
    EXPECT_LT(reads([&] { Click(*panel, "btAdd"); }), Drawn);
    ASSERT_EQ(list->Count(), Count);
    EXPECT_EQ(reads([&] { panel->mnuFullPathClick(); }), 0);
    EXPECT_EQ(list->RowText(Count - 1).toStdString(), panel->WorkList().back());
    EXPECT_LT(reads([&] { panel->mnuFileNameClick(); }), Drawn);
    EXPECT_LT(reads([&] { list->scrollToBottom(); }), Drawn);
    EXPECT_EQ(list->RowText(Count - 1),
        QString::fromStdString(fs::path(panel->WorkList().back()).filename().string()).toUpper());
}

// Rows deleted far apart: the list keeps exactly the others, in order.
TEST_F(LargeLists, DeletingRowsFarApartKeepsTheOthersInOrder)
{
    std::string section = "[SaverList]\n";
    for (int i = 0; i < 100; ++i)
        section += std::to_string(i) + "=/p" + std::to_string(i) + ".scr\n";
    Sandbox::Write(box.IniPath(), section);
    auto panel = Open<TfrmSaver>();
    auto* list = test::ListBox(*panel, "lsSaver");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->RowRect(0).center());
    TStrings kept;
    for (int i = 0; i < 100; ++i) {
        if (i % 2 == 0)
            test::SelectRow(list, i);
        else
            kept.push_back("/p" + std::to_string(i) + ".scr");
    }
    Click(*panel, "btDelete");
    EXPECT_EQ(panel->WorkList(), kept);
    EXPECT_EQ(list->Count(), 50);
    EXPECT_EQ(list->RowText(0), "FILE NOT FOUND!");
    EXPECT_TRUE(list->SelectedRows().empty());
}

} // namespace
