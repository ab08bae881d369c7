#include "app/TfrmWelcome.h"
#include "support/Sandbox.h"
#include "ui/ImageLists.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace kdx::test {
namespace {

// What the status panel uses of the main window: the image lists.
class StatusHost : public IPanelHost {
public:
    void SetStatusText(int, const QString&) override { }
    QString StatusText(int) const override { return {}; }
    const TImageList& ImageList(ImageListId) const override { return images; }
    void ProcessMessages() override { }
    void ReloadWallpaper() override { }
    void EnableTimerPaper(bool) override { }
    std::vector<TMonitorStatus> MonitorWallpapers() const override { return monitors; }

    TImageList images = MakeRandomImages();
    std::vector<TMonitorStatus> monitors;
};

class StatusPanelTest : public ::testing::Test {
protected:
    std::unique_ptr<TfrmWelcome> Open(const std::string& ini)
    {
        Sandbox::Write(sandbox.IniPath(), ini);
        auto panel = std::make_unique<TfrmWelcome>(host);
        panel->resize(511, 458);
        return panel;
    }

    // Each line as "+text" (tick) or "-text" (cross), checked against the pictures themselves.
    QStringList Lines(const TfrmWelcome& panel)
    {
        const QImage tick = host.images.Pixmap(images::Tick).toImage();
        const QImage cross = host.images.Pixmap(images::ThickCross).toImage();
        QStringList lines;
        for (int i = 0; i < panel.lsSituation->count(); ++i) {
            const QListWidgetItem* line = panel.lsSituation->item(i);
            const QImage picture = line->icon().pixmap(16, 16).toImage().convertToFormat(tick.format());
            const QString mark = picture == tick ? "+" : picture == cross ? "-" : "?";
            lines << mark + line->text();
        }
        return lines;
    }

    Sandbox sandbox;
    StatusHost host;
};

TEST_F(StatusPanelTest, AFileWithoutTheSectionsShowsTheDefaults)
{
    auto panel = Open("[Saver]\nInterval=5\n");
    EXPECT_EQ(Lines(*panel),
        QStringList({"-Disable Randomly Run Screensaver", "-Disable Randomly Show Flash in Screensaver",
            "-Disable Randomly Show Pictures in Screensaver", "+Enable Random Wallpaper",
            "+Open AutoSave When Change Config Panel"}));
}

TEST_F(StatusPanelTest, LinesFollowTheFavouritesRotationAndAutoSave)
{
    auto panel = Open("[RandomWhat]\n0=2\n1=0\n[Wallpaper]\nActivate=0\n[Misc]\nAutoSave=0\n");
    EXPECT_EQ(Lines(*panel),
        QStringList({"+Enable Randomly Run Screensaver", "-Disable Randomly Show Flash in Screensaver",
            "+Enable Randomly Show Pictures in Screensaver", "-Disable Random Wallpaper",
            "-Close AutoSave When Change Config Panel"}));
}

TEST_F(StatusPanelTest, EveryFavouriteOnTicksTheFirstThreeLines)
{
    auto panel = Open("[RandomWhat]\n0=1\n1=0\n2=2\n");
    EXPECT_EQ(Lines(*panel).mid(0, 3),
        QStringList({"+Enable Randomly Run Screensaver", "+Enable Randomly Show Flash in Screensaver",
            "+Enable Randomly Show Pictures in Screensaver"}));
}

TEST_F(StatusPanelTest, RightClickSelectsTheLineUnderThePointerOrNone)
{
    const std::string ini = "[Misc]\nAutoSave=1\n";
    auto panel = Open(ini);
    panel->show();
    QListWidget* list = panel->lsSituation;
    const QPoint third = list->visualItemRect(list->item(2)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, third);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems().first()), 2);
    const QPoint below(third.x(), list->visualItemRect(list->item(4)).bottom() + 20);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, below);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    // Clicking changes no setting.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(Sandbox::Read(sandbox.IniPath()), ini);
}

TEST_F(StatusPanelTest, TheListAndIntroductionFollowTheMiddleArea)
{
    auto panel = Open("");
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    for (const QSize size : {QSize(511, 458), QSize(700, 600)}) {
        panel->resize(size);
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->lsSituation->height() == panel->palCenter->height() - 36; }));
        EXPECT_EQ(panel->lbeIntro->width(), panel->palCenter->width() - 390);
    }
    EXPECT_EQ(panel->lsSituation->pos(), QPoint(16, 16));
    // The design's heights, or more where this system's face needs more for the texts.
    EXPECT_GE(panel->palButtom->height(), 95);
    EXPECT_GE(panel->palTop->height(), 49);
    EXPECT_TRUE(panel->lbeIntro->text().startsWith("This is Kaleidra status.\n\nYou can read the [RandomType]"));
}

TEST_F(StatusPanelTest, EachMonitorWithAPictureOfItsOwnHasALineSayingWhatItShowsOrWhyNot)
{
    host.monitors = {{"DP-1", 3840, 2160, "/pics/sunset.jpg", true, "XFCE (xfconf-query)"},
        {"R", 1280, 800, "/pics/sea.bmp", false, "xfdesktop has no backdrop for it"}};
    auto panel = Open("[Misc]\nAutoSave=1\n");
    const QStringList lines = Lines(*panel);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[4], "+Open AutoSave When Change Config Panel") << "the five lines come first, as they were";
    EXPECT_EQ(lines[5], "+DP-1 3840 x 2160: sunset.jpg");
    EXPECT_EQ(lines[6], "-R 1280 x 800: sea.bmp (not shown: xfdesktop has no backdrop for it)");
    EXPECT_TRUE(panel->lsSituation->wordWrap()) << "a long reason is not cut off";
    EXPECT_EQ(panel->lsSituation->item(5)->toolTip(), "/pics/sunset.jpg\nXFCE (xfconf-query)");

    // While docked, the lines follow each change; the five stay as they were read.
    host.monitors.pop_back();
    host.monitors[0].picture = "/pics/hills.jpg";
    Sandbox::Write(sandbox.IniPath(), "[Misc]\nAutoSave=0\n");
    panel->MonitorWallpapersChanged();
    EXPECT_EQ(
        Lines(*panel).mid(4), QStringList({"+Open AutoSave When Change Config Panel", "+DP-1 3840 x 2160: hills.jpg"}));
    host.monitors.clear();
    panel->MonitorWallpapersChanged();
    EXPECT_EQ(Lines(*panel).size(), 5) << "one picture for all: the five lines alone";
}

} // namespace
} // namespace kdx::test
