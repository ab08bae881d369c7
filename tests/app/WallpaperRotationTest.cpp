// When the rotation changes the wallpaper: the tick rule against fixed times, and the
// rotation inside the real main window against a fake clock and real picture files.
#include "app/WallpaperRotation.h"
#include "AppTestSupport.h"
#include "app/Panels.h"
#include "app/TfrmMain.h"
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "shell/MessageBox.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QImage>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kdx;

namespace {

TDateTime At(int day, int h, int m, int s) { return TDateTime::FromCivil({2026, 12, day, h, m, s, 0}); }

TEST(TimeDiff, SignedSecondsMinutesAndHoursWholeDaysIncluded)
{
    TPublicUnit unit;
    EXPECT_EQ(unit.TimeDiff(1, At(8, 10, 0, 30), At(8, 9, 0, 0)), 3630);
    EXPECT_EQ(unit.TimeDiff(1, At(8, 9, 0, 0), At(8, 10, 0, 30)), -3630);
    EXPECT_EQ(unit.TimeDiff(2, At(8, 10, 0, 30), At(8, 9, 0, 0)), 60);
    EXPECT_EQ(unit.TimeDiff(4, At(8, 10, 0, 30), At(8, 9, 0, 0)), 1);
    EXPECT_EQ(unit.TimeDiff(0, At(8, 10, 0, 30), At(8, 9, 0, 0)), -1);
    EXPECT_EQ(unit.TimeDiff(8, At(8, 10, 0, 30), At(8, 9, 0, 0)), -1);
    EXPECT_EQ(unit.TimeDiff(1, At(10, 9, 0, 0), At(8, 9, 0, 0)), 2 * 86400) << "days are not dropped";
    EXPECT_EQ(unit.TimeDiff(1, TDateTime::FromMs(1999), TDateTime::FromMs(0)), 1) << "whole seconds";
}

TEST(RotationTick, HourAndIntervalCyclesFireOncePerPeriod)
{
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, At(8, 9, 59, 59)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, At(8, 10, 0, 0)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, 2, stamp, At(8, 9, 0, 1)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleAtInterval, 2, stamp, At(8, 9, 0, 2)), TickAction::Change);
}

TEST(RotationTick, ALateTickStillChanges)
{
    // A busy machine or the pause after a change can make the tick miss the exact second.
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleAtInterval, 10, stamp, At(8, 9, 0, 13)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleHour, 0, stamp, At(8, 10, 0, 4)), TickAction::Change);
}

TEST(RotationTick, PeriodsOfADayOrMoreComeRound)
{
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleAtInterval, 172800, stamp, At(9, 9, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleAtInterval, 172800, stamp, At(10, 9, 0, 0)), TickAction::Change);
}

TEST(RotationTick, StampAheadOfTheClockWaits)
{
    EXPECT_EQ(DecideTick(CycleAtInterval, 5, At(8, 9, 0, 0), At(8, 8, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleHour, 5, At(8, 9, 0, 0), At(8, 8, 0, 0)), TickAction::None);
}

TEST(RotationTick, EveryStartupChangesOnceAndStopsOthersNever)
{
    EXPECT_EQ(DecideTick(CycleEveryStartup, 60, At(8, 9, 0, 0), At(8, 9, 0, 0)), TickAction::ChangeAndStop);
    EXPECT_EQ(DecideTick(3, 60, At(8, 9, 0, 0), At(9, 9, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(-1, 60, At(8, 9, 0, 0), At(9, 9, 0, 0)), TickAction::None);
}

TEST(RotationTick, AnIntervalBelowOneCountsAsOne)
{
    EXPECT_EQ(DecideTick(CycleAtInterval, 0, At(8, 9, 0, 0), At(8, 9, 0, 1)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, -5, At(8, 9, 0, 0), At(8, 9, 0, 0)), TickAction::None);
}

class Rotation : public ::testing::Test {
protected:
    kdx::test::Sandbox box;
    kdx::test::ShellRecorder shell;
    std::string pics = box.Root() + "/pics/";
    TDateTime clock = At(8, 9, 0, 0);
    int pauses = 0;
    std::unique_ptr<TfrmMain> main;

    Rotation() { std::filesystem::create_directories(pics); }

    void Picture(const std::string& name)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(pics + name), "BMP"));
    }

    void Settings(const std::string& wallpaper, const std::string& list)
    {
        kdx::test::Sandbox::Write(box.IniPath(), "[PaperList]\n" + list + "[Wallpaper]\n" + wallpaper);
    }

    void Start()
    {
        main = std::make_unique<TfrmMain>(TFormCatalog {StandardPanels(), {}});
        main->Now = [this] { return clock; };
        main->Pause = [this](int ms) {
            ++pauses;
            clock = TDateTime::FromMs(clock.Ms() + ms);
        };
        main->FormCreate();
    }

    std::string Stamp() const
    {
        const std::string ini = kdx::test::Sandbox::Read(box.IniPath());
        const size_t at = ini.find("PrevChange=");
        return at == std::string::npos ? "" : ini.substr(at + 11, ini.find('\n', at) - at - 11);
    }

    void Tick(int seconds)
    {
        clock = TDateTime::FromMs(clock.Ms() + seconds * 1000LL);
        main->TimerPaperTimer();
    }
};

TEST_F(Rotation, EveryStartupChangesAtStartAndAtTheFirstTickThenStops)
{
    Picture("a.bmp");
    Settings("Cycle=1\n", "0=" + pics + "a.bmp\n");
    Start();
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:00");
    EXPECT_TRUE(main->TimerPaper->isActive());
    Tick(1);
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:01");
    EXPECT_FALSE(main->TimerPaper->isActive());
    EXPECT_EQ(pauses, 1);
}

TEST_F(Rotation, AtIntervalChangesEachPeriodAndReloadsTheStamp)
{
    Picture("a.bmp");
    Settings("Cycle=2\nInterval=10\n", "0=" + pics + "a.bmp\n");
    Start();
    Tick(5);
    EXPECT_EQ(pauses, 0);
    Tick(5);
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:10");
    Tick(8); // the pause moved the clock on a second
    EXPECT_EQ(pauses, 1);
    Tick(1);
    EXPECT_EQ(pauses, 2);
}

TEST_F(Rotation, ActivateOffMeansNoChangeButNextWallpaperStillWorks)
{
    Picture("a.bmp");
    Settings("Activate=0\nPrevChange=2026-01-01\n", "0=" + pics + "a.bmp\n");
    Start();
    EXPECT_FALSE(main->TimerPaper->isActive());
    EXPECT_EQ(Stamp(), "2026-01-01");
    main->findChild<QAction*>("mnuNextWallpaper")->trigger();
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:00");
    EXPECT_EQ(main->FWallpaper->PrevChange.ToCivil().year, 2026);
    EXPECT_EQ(main->FWallpaper->PrevChange.ToCivil().month, 1) << "Next Wallpaper does not reload";
}

TEST_F(Rotation, AnEmptyListStopsTheTimer)
{
    Settings("Cycle=0\n", "");
    Start();
    EXPECT_FALSE(main->TimerPaper->isActive());
}

TEST_F(Rotation, AFailingPictureStampsNothingAndKeepsTheTimer)
{
    kdx::test::Sandbox::Write(pics + "broken.jpg", "no picture");
    Settings("Cycle=2\nInterval=1\nPrevChange=2026-12-08 08:00:00\n", "0=" + pics + "broken.jpg\n");
    EXPECT_THROW(Start(), EKaleidraError);
    EXPECT_EQ(Stamp(), "2026-12-08 08:00:00");
    EXPECT_TRUE(main->TimerPaper->isActive());
    EXPECT_THROW(Tick(1), EKaleidraError);
    EXPECT_EQ(pauses, 0);
    EXPECT_TRUE(main->TimerPaper->isActive());
}

TEST_F(Rotation, EditorSaveSwitchesTheTimerThroughTheHost)
{
    Picture("a.bmp");
    Settings("Cycle=0\n", "0=" + pics + "a.bmp\n");
    Start();
    main->EnableTimerPaper(false);
    EXPECT_FALSE(main->TimerPaper->isActive());
    kdx::test::Sandbox::Write(box.IniPath(), "[PaperList]\n0=" + pics + "a.bmp\n[Wallpaper]\nCycle=2\nInterval=7\n");
    main->ReloadWallpaper();
    main->EnableTimerPaper(true);
    EXPECT_EQ(main->FWallpaper->Interval, 7);
    EXPECT_TRUE(main->TimerPaper->isActive());
}

// A desktop whose outcome the test chooses, and the error reports the agent makes.
class ChosenDesktop final : public platform::IDesktop, public IMessageBox {
public:
    platform::WallpaperOutcome outcome {false, "nothing here"};
    std::vector<std::string> reports;
    ChosenDesktop() { SetMessageBox(this); }
    ~ChosenDesktop() override { SetMessageBox(nullptr); }
    platform::WallpaperOutcome ApplyWallpaperSettings() override { return outcome; }
    int Show(const std::string&, const std::string& text, MessageIcon) override
    {
        reports.push_back(text);
        return IdOk;
    }
};

TEST_F(Rotation, ARowOfChangesNothingShowsIsReportedOnceAndStamped)
{
    ChosenDesktop desktop;
    platform::Services services = platform::Current();
    services.desktop = &desktop;
    const platform::ScopedServices scope(services);
    Picture("a.bmp");
    Settings("Cycle=2\nInterval=2\n", "0=" + pics + "a.bmp\n");
    Start();
    EXPECT_EQ(desktop.reports,
        std::vector<std::string> {"The wallpaper was made, but nothing on this desktop could show it: nothing here"});
    Tick(2);
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:02") << "the rotation keeps its pace";
    EXPECT_EQ(desktop.reports.size(), 1u) << "not a box every period";
    desktop.outcome = {true, "a desktop"};
    Tick(3);
    desktop.outcome = {false, "gone again"};
    Tick(3);
    ASSERT_EQ(desktop.reports.size(), 2u);
    EXPECT_EQ(desktop.reports[1], "The wallpaper was made, but nothing on this desktop could show it: gone again");
}

} // namespace
