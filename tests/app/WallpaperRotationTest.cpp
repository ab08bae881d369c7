// When the rotation changes the wallpaper: the tick rule against fixed times, and the
// rotation inside the real main window against a fake clock and real picture files.
#include "app/WallpaperRotation.h"
#include "AppTestSupport.h"
#include "app/Panels.h"
#include "app/TfrmMain.h"
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "shell/MessageBox.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"
#include "support/Services.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/resource.h>
#include <utility>

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
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, std::nullopt, At(8, 9, 59, 59)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, std::nullopt, At(8, 10, 0, 0)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, 2, stamp, std::nullopt, At(8, 9, 0, 1)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleAtInterval, 2, stamp, std::nullopt, At(8, 9, 0, 2)), TickAction::Change);
}

TEST(RotationTick, ALateTickStillChanges)
{
    // A busy machine or the pause after a change can make the tick miss the exact second.
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleAtInterval, 10, stamp, std::nullopt, At(8, 9, 0, 13)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleHour, 0, stamp, std::nullopt, At(8, 10, 0, 4)), TickAction::Change);
}

TEST(RotationTick, PeriodsOfADayOrMoreComeRound)
{
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleAtInterval, 172800, stamp, std::nullopt, At(9, 9, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleAtInterval, 172800, stamp, std::nullopt, At(10, 9, 0, 0)), TickAction::Change);
}

TEST(RotationTick, StampAheadOfTheClockWaits)
{
    EXPECT_EQ(DecideTick(CycleAtInterval, 5, At(8, 9, 0, 0), std::nullopt, At(8, 8, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleHour, 5, At(8, 9, 0, 0), std::nullopt, At(8, 8, 0, 0)), TickAction::None);
}

TEST(RotationTick, EveryStartupChangesOnceAndStopsOthersNever)
{
    EXPECT_EQ(
        DecideTick(CycleEveryStartup, 60, At(8, 9, 0, 0), std::nullopt, At(8, 9, 0, 0)), TickAction::ChangeAndStop);
    EXPECT_EQ(DecideTick(3, 60, At(8, 9, 0, 0), std::nullopt, At(9, 9, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(-1, 60, At(8, 9, 0, 0), std::nullopt, At(9, 9, 0, 0)), TickAction::None);
}

TEST(RotationTick, AnIntervalBelowOneCountsAsOne)
{
    EXPECT_EQ(DecideTick(CycleAtInterval, 0, At(8, 9, 0, 0), std::nullopt, At(8, 9, 0, 1)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, -5, At(8, 9, 0, 0), std::nullopt, At(8, 9, 0, 0)), TickAction::None);
}

TEST(RotationTick, AFailedAttemptHoldsTheNextOneAWholePeriodFromIt)
{
    const TDateTime stamp = At(8, 7, 0, 0);
    const TDateTime failed = At(8, 9, 0, 0);
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, failed, At(8, 9, 0, 1)), TickAction::None) << "not at the next tick";
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, failed, At(8, 9, 59, 59)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleHour, 60, stamp, failed, At(8, 10, 0, 0)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, 300, stamp, failed, At(8, 9, 4, 59)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleAtInterval, 300, stamp, failed, At(8, 9, 5, 0)), TickAction::Change);
    EXPECT_EQ(DecideTick(CycleAtInterval, 0, stamp, failed, At(8, 9, 0, 1)), TickAction::Change) << "a period of 1 s";
    // The stamp still counts: a failure right after a change does not bring the next one forward.
    EXPECT_EQ(DecideTick(CycleHour, 60, At(8, 9, 30, 0), failed, At(8, 10, 0, 0)), TickAction::None);
    EXPECT_EQ(DecideTick(CycleEveryStartup, 60, stamp, failed, At(8, 9, 0, 1)), TickAction::Stop);
    // What a timer that sleeps until the next change would ask.
    EXPECT_EQ(SecondsUntilChange(CycleHour, 60, stamp, failed, At(8, 9, 0, 1)), 3599);
    EXPECT_EQ(SecondsUntilChange(CycleHour, 60, stamp, std::nullopt, At(8, 9, 0, 1)), -3601);
    EXPECT_EQ(SecondsUntilChange(CycleEveryStartup, 60, stamp, failed, At(8, 9, 0, 1)), std::nullopt);
    EXPECT_EQ(SecondsUntilChange(7, 60, stamp, std::nullopt, At(8, 9, 0, 1)), std::nullopt);
}

TEST(RotationSleep, UntilTheNextChangeCanBeDueWithinItsBounds)
{
    const TDateTime stamp = At(8, 9, 0, 0);
    EXPECT_EQ(SleepBeforeTick(CycleHour, 0, stamp, std::nullopt, At(8, 9, 0, 1)), MaxSleepMs) << "an hour away";
    EXPECT_EQ(SleepBeforeTick(CycleHour, 0, stamp, std::nullopt, At(8, 9, 57, 30)), 150000);
    EXPECT_EQ(SleepBeforeTick(CycleAtInterval, 90, stamp, std::nullopt, At(8, 9, 0, 1)), 89000);
    EXPECT_EQ(SleepBeforeTick(CycleAtInterval, 90, stamp, std::nullopt, At(8, 9, 5, 0)), MinSleepMs) << "overdue";
    EXPECT_EQ(SleepBeforeTick(CycleAtInterval, 0, stamp, std::nullopt, At(8, 9, 0, 0)), MinSleepMs);
    EXPECT_EQ(SleepBeforeTick(CycleEveryStartup, 0, stamp, std::nullopt, At(8, 9, 0, 0)), MinSleepMs);
    EXPECT_EQ(SleepBeforeTick(CycleEveryStartup, 0, stamp, At(8, 9, 0, 0), At(8, 9, 0, 0)), MaxSleepMs);
    EXPECT_EQ(SleepBeforeTick(5, 0, stamp, std::nullopt, At(8, 9, 0, 0)), MaxSleepMs) << "nothing ever due";
    EXPECT_EQ(SleepBeforeTick(CycleHour, 0, At(8, 12, 0, 0), std::nullopt, At(8, 9, 0, 0)), MaxSleepMs)
        << "a stamp ahead of the clock";
    EXPECT_EQ(SleepBeforeTick(CycleAtInterval, 60, stamp, At(8, 9, 0, 30), At(8, 9, 0, 31)), 59000)
        << "a failed attempt holds the next one back";
}

// Counts the reports the agent would show in message boxes.
class CountedReports : public IMessageBox {
public:
    CountedReports() { SetMessageBox(this); }
    ~CountedReports() override { SetMessageBox(nullptr); }
    int Show(const std::string&, const std::string& text, MessageIcon) override
    {
        texts.push_back(text);
        return IdOk;
    }
    std::vector<std::string> texts;
};

// Files of this process cannot grow past Limit bytes while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the process
        const rlimit r {limit, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_ {};
    sighandler_t previous_ = SIG_DFL;
};

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

    // Lets the real event loop run until Done holds or Ms have passed.
    void RunEventsUntil(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    void Tick(int seconds)
    {
        clock = TDateTime::FromMs(clock.Ms() + seconds * 1000LL);
        main->TimerPaperTimer();
        Reports();
    }

    // Lets the rotation's reports, which open from the event loop, reach the message box.
    static void Reports() { QCoreApplication::sendPostedEvents(); }
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

// The rotation's random index falls on the picture shown now as often as on any other (twice
// within a millisecond it is the same): a change never shows that picture again while the list
// holds another, its duplicates included.
TEST_F(Rotation, AChangeNeverShowsThePictureOnTheDesktopNow)
{
    Picture("a.bmp");
    Picture("b.bmp");
    Settings("Activate=0\n", "0=" + pics + "a.bmp\n1=" + pics + "a.bmp\n2=" + pics + "b.bmp\n");
    Start();
    std::set<std::string> seen;
    for (int i = 0; i < 30; ++i) {
        const std::string before = main->FCurrentWallpaper;
        main->mnuNextWallpaperClick();
        EXPECT_NE(main->FCurrentWallpaper, before) << "change " << i;
        seen.insert(main->FCurrentWallpaper);
    }
    EXPECT_EQ(seen.size(), 2u);
    Settings("Activate=0\n", "0=" + pics + "a.bmp\n");
    main->ReloadWallpaper();
    main->mnuNextWallpaperClick();
    main->mnuNextWallpaperClick();
    EXPECT_EQ(main->FCurrentWallpaper, pics + "a.bmp") << "the only picture, again";
}

TEST_F(Rotation, AnEmptyListStopsTheTimer)
{
    Settings("Cycle=0\n", "");
    Start();
    EXPECT_FALSE(main->TimerPaper->isActive());
}

TEST_F(Rotation, AFailingPictureStampsNothingAndKeepsTheTimer)
{
    CountedReports reports;
    kdx::test::Sandbox::Write(pics + "broken.jpg", "no picture");
    Settings("Cycle=2\nInterval=60\nPrevChange=2026-12-08 08:00:00\n", "0=" + pics + "broken.jpg\n");
    Start();
    Reports();
    EXPECT_EQ(reports.texts.size(), 1u);
    EXPECT_EQ(Stamp(), "2026-12-08 08:00:00");
    EXPECT_TRUE(main->TimerPaper->isActive());
    for (int second = 1; second < 60; ++second) {
        Tick(1);
        EXPECT_EQ(reports.texts.size(), 1u) << "tried again after " << second << " s";
    }
    Tick(1);
    EXPECT_EQ(reports.texts.size(), 2u) << "a whole period after the failed attempt";
    EXPECT_EQ(Stamp(), "2026-12-08 08:00:00");
    EXPECT_EQ(pauses, 0);
    EXPECT_TRUE(main->TimerPaper->isActive());

    // Mended and saved in the editor: the rotation is switched on anew and changes at once.
    Picture("good.bmp");
    Settings("Cycle=2\nInterval=60\nPrevChange=2026-12-08 08:00:00\n", "0=" + pics + "good.bmp\n");
    main->ReloadWallpaper();
    main->EnableTimerPaper(true);
    Tick(1);
    EXPECT_EQ(Stamp(), "2026-12-08 09:01:01");
    // Made and stamped; the tests' desktop shows nothing, which is told once.
    ASSERT_EQ(reports.texts.size(), 3u);
    EXPECT_EQ(reports.texts[2].rfind(texts::WallpaperNotShown, 0), 0u) << reports.texts[2];
}

// Several hours of one-second ticks with a picture that is gone, counting the message boxes the
// user would have to close: one at start-up and one per period, never one per tick.
TEST_F(Rotation, AFailingPictureIsReportedOncePerPeriodForEveryCycle)
{
    struct Case {
        const char* settings;
        size_t reports;
        bool timerOn;
    };
    const Case cases[] = {
        {"Cycle=0\n", 1 + 3, true}, // at start-up, then after 1, 2 and 3 hours
        {"Cycle=2\nInterval=600\n", 1 + 18, true},
        {"Cycle=2\nInterval=0\n", 1 + 10800, true}, // a period of one second is one per second
        {"Cycle=1\n", 1, false}, // the change of this start was tried: the first tick stops the timer
        {"Cycle=3\n", 1, true}, // no cycle: only the change at start-up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        CountedReports reports;
        clock = At(8, 9, 0, 0);
        Settings(std::string(c.settings) + "PrevChange=2026-12-08 07:00:00\n", "0=" + pics + "gone.jpg\n");
        ReportErrors([&] { Start(); });
        Reports();
        for (int second = 0; second < 3 * 3600; ++second) {
            clock = TDateTime::FromMs(clock.Ms() + 1000);
            QMetaObject::invokeMethod(main->TimerPaper, "timeout");
            Reports();
        }
        EXPECT_EQ(reports.texts.size(), c.reports);
        EXPECT_EQ(reports.texts.front(), "Cannot open file " + pics + "gone.jpg");
        EXPECT_EQ(Stamp(), "2026-12-08 07:00:00");
        EXPECT_EQ(main->TimerPaper->isActive(), c.timerOn);
        main.reset();
    }
}

// The stamp that cannot be written (a full disk) is a failed change too.
TEST_F(Rotation, AStampThatCannotBeWrittenIsReportedOncePerPeriod)
{
    Picture("a.bmp");
    // A settings file larger than the limit, so that only its rewrite runs into it.
    Settings("Cycle=0\nPrevChange=2026-12-08 07:00:00\n; " + std::string(8192, 'x') + "\n", "0=" + pics + "a.bmp\n");
    const std::string before = kdx::test::Sandbox::Read(box.IniPath());
    CountedReports reports;
    {
        FileSizeLimit full(4096);
        ReportErrors([&] { Start(); });
        Reports();
        for (int second = 0; second < 2 * 3600; ++second) {
            clock = TDateTime::FromMs(clock.Ms() + 1000);
            QMetaObject::invokeMethod(main->TimerPaper, "timeout");
            Reports();
        }
    }
    EXPECT_EQ(reports.texts, std::vector<std::string>(3, "Unable to write to " + box.IniPath()));
    EXPECT_EQ(kdx::test::Sandbox::Read(box.IniPath()), before);
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

// While nothing is due the agent sleeps: no timer shorter than the time to the next change.
TEST_F(Rotation, TheTimerSleepsUntilTheNextChangeCanBeDue)
{
    Picture("a.bmp");
    Settings("Cycle=0\n", "0=" + pics + "a.bmp\n");
    Start();
    EXPECT_TRUE(main->TimerPaper->isSingleShot());
    EXPECT_EQ(main->TimerPaper->interval(), MaxSleepMs) << "an hourly cycle right after its change";
    Tick(MaxSleepMs / 1000);
    EXPECT_EQ(pauses, 0) << "woken with nothing due, it only sleeps again";
    EXPECT_EQ(main->TimerPaper->interval(), MaxSleepMs);
    Tick(3600 - MaxSleepMs / 1000 - 120);
    EXPECT_EQ(main->TimerPaper->interval(), 120000) << "two minutes before the change";
    Tick(120);
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(Stamp(), "2026-12-08 10:00:00");
    EXPECT_EQ(main->TimerPaper->interval(), MaxSleepMs) << "armed again after the change";

    // The editor's Save of a short interval arms the timer for it at once.
    Settings("Cycle=2\nInterval=30\nPrevChange=2026-12-08 10:00:01\n", "0=" + pics + "a.bmp\n");
    main->ReloadWallpaper();
    main->EnableTimerPaper(true);
    EXPECT_EQ(main->TimerPaper->interval(), 30000);
    EXPECT_TRUE(main->TimerPaper->isActive());
}

// The clock jumps two hours ahead (a wake from sleep, a time set by hand) while the timer sleeps:
// the change that is now due happens within about a second, through the real event loop.
TEST_F(Rotation, AClockJumpForwardMakesTheDueChangeHappen)
{
    Picture("a.bmp");
    Settings("Cycle=0\n", "0=" + pics + "a.bmp\n");
    Start();
    ASSERT_EQ(main->TimerPaper->remainingTime() > 9 * 60 * 1000, true);
    clock = At(8, 11, 0, 0);
    main->ClockJumped();
    EXPECT_LE(main->TimerPaper->remainingTime(), MinSleepMs);
    RunEventsUntil([&] { return pauses > 0; }, 3000);
    EXPECT_EQ(Stamp(), "2026-12-08 11:00:00");
    EXPECT_EQ(pauses, 1);
    EXPECT_TRUE(main->TimerPaper->isActive());
    EXPECT_GT(main->TimerPaper->remainingTime(), 9 * 60 * 1000) << "asleep again until the next one can be due";
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
    Reports();
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

// The user leaves the rotation's error box open while time passes: the rotation goes on (its
// timer stays armed and it tries again each period), and no second box opens over the first;
// once that one is closed, the next failure is reported again. One failure at start-up gives one
// box (a tick used to come inside the first box, before its stamp was reloaded, and open a
// second one just like it).
TEST_F(Rotation, WhileTheRotationsBoxIsOpenItGoesOnAndOpensNoOther)
{
    class OpenBox final : public IMessageBox {
    public:
        std::function<void()> whileOpen;
        int opened = 0, depth = 0, deepest = 0;
        OpenBox() { SetMessageBox(this); }
        ~OpenBox() override { SetMessageBox(nullptr); }
        int Show(const std::string&, const std::string&, MessageIcon) override
        {
            ++opened;
            deepest = std::max(deepest, ++depth);
            if (whileOpen)
                whileOpen();
            --depth;
            return IdOk;
        }
    } box;
    Settings("Cycle=2\nInterval=1\nPrevChange=2026-12-08 08:00:00\n", "0=" + pics + "gone.jpg\n");
    int ticks = 0;
    bool armed = true;
    box.whileOpen = [&] {
        for (int second = 0; second < 30; ++second) {
            armed = armed && main->TimerPaper->isActive();
            clock = TDateTime::FromMs(clock.Ms() + 1000);
            QMetaObject::invokeMethod(main->TimerPaper, "timeout");
            ++ticks;
            QCoreApplication::processEvents();
        }
    };
    ReportErrors([&] { Start(); });
    RunEventsUntil([&] { return box.opened > 0; }, 2000);
    EXPECT_EQ(box.opened, 1) << "one box for 31 failed changes";
    EXPECT_EQ(box.deepest, 1) << "never a box inside a box";
    EXPECT_EQ(ticks, 30);
    EXPECT_TRUE(armed) << "the rotation's timer stays armed while its box is open";
    box.whileOpen = nullptr;
    Tick(1);
    EXPECT_EQ(box.opened, 2) << "closed, the next failure is reported";
}

// A desktop of monitors the test chooses, each showing what it is handed unless the test says a
// monitor does not; what it was handed is kept.
class MonitorsDesktop final : public platform::IDesktop {
public:
    std::vector<platform::Monitor> monitors;
    std::set<std::string> refusing;
    std::vector<platform::MonitorWallpapers> handed;
    int single = 0;
    // Runs while the desktop takes the pictures, as a portal's answer awaited in a nested loop.
    std::function<void()> whileApplying;
    int depth = 0, deepest = 0;
    platform::WallpaperOutcome ApplyWallpaperSettings() override
    {
        ++single;
        return {true, "one picture"};
    }
    std::vector<platform::Monitor> Monitors() override { return monitors; }
    platform::WallpaperOutcome ApplyMonitorWallpapers(const platform::MonitorWallpapers& w) override
    {
        handed.push_back(w);
        deepest = std::max(deepest, ++depth);
        if (whileApplying)
            std::exchange(whileApplying, nullptr)();
        --depth;
        platform::WallpaperOutcome outcome {true, "monitors"};
        for (const auto& m : w.monitors)
            outcome.monitors.push_back(
                {m.monitor.name, !refusing.count(m.monitor.name), refusing.count(m.monitor.name) ? "refused" : "here"});
        return outcome;
    }
    // Whether each monitor was handed its picture in the last change, by name.
    std::map<std::string, bool> Fresh() const
    {
        std::map<std::string, bool> fresh;
        for (const auto& m : handed.back().monitors)
            fresh[m.monitor.name] = m.fresh;
        return fresh;
    }
};

class MonitorRotation : public Rotation {
protected:
    MonitorsDesktop desktop;
    platform::ScopedServices scope {kdx::test::WithService(&platform::Services::desktop, &desktop)};

    void Pictures(const std::vector<std::pair<std::string, Qt::GlobalColor>>& pictures)
    {
        std::string list;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            QImage image(8, 6, QImage::Format_RGB32);
            image.fill(pictures[i].second);
            ASSERT_TRUE(image.save(QString::fromStdString(pics + pictures[i].first), "BMP"));
            list += std::to_string(i) + "=" + pics + pictures[i].first + "\n";
        }
        Settings("Cycle=0\nStyle=2\nPerMonitor=1\n", list);
    }

    // What each monitor shows now, by name.
    std::map<std::string, std::string> Shown() const
    {
        std::map<std::string, std::string> shown;
        for (const TMonitorStatus& status : main->MonitorWallpapers())
            shown[status.monitor] = status.picture.substr(status.picture.rfind('/') + 1);
        return shown;
    }
};

TEST_F(MonitorRotation, EachMonitorGetsAPictureOfItsOwnMadeToItsSize)
{
    Pictures({{"a.bmp", Qt::red}, {"b.bmp", Qt::green}, {"c.bmp", Qt::blue}});
    desktop.monitors = {platform::Monitor {"L", 0, 0, 64, 40, true}, platform::Monitor {"R", 64, 0, 30, 50}};
    Start();
    ASSERT_EQ(desktop.handed.size(), 1u);
    EXPECT_EQ(desktop.single, 0);
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:00") << "a change of the rotation";
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown.at("L"), shown.at("R"));
    const QImage right(QString::fromStdString(desktop.handed[0].monitors[1].bitmap));
    EXPECT_EQ(right.size(), QSize(30, 50));
    const QImage wallpaper(QString::fromStdString(TPublicUnit().WallpaperBitmapPath()));
    EXPECT_EQ(wallpaper.size(), QSize(64, 40)) << "the wallpaper bitmap is the primary monitor's";
    for (const TMonitorStatus& status : main->MonitorWallpapers()) {
        EXPECT_TRUE(status.shown);
        EXPECT_EQ(status.detail, "here");
    }
    // "Next Wallpaper": new pictures on both, none twice.
    main->mnuNextWallpaperClick();
    const auto next = Shown();
    EXPECT_NE(next.at("L"), next.at("R"));
    EXPECT_NE(next.at("L"), shown.at("L")) << "not the picture it showed while the list has another";
}

TEST_F(MonitorRotation, AChangeOfMonitorsKeepsEachPictureAndIsNoRotation)
{
    Pictures({{"a.bmp", Qt::red}, {"b.bmp", Qt::green}, {"c.bmp", Qt::blue}, {"d.bmp", Qt::yellow}});
    const platform::Monitor left = platform::Monitor {"L", 0, 0, 64, 40, true},
                            right = platform::Monitor {"R", 64, 0, 64, 40};
    desktop.monitors = {left, right};
    Start();
    const auto before = Shown();
    clock = At(8, 9, 30, 0);

    desktop.monitors = {left};
    main->MonitorsChanged();
    EXPECT_EQ(Shown(), (std::map<std::string, std::string> {{"L", before.at("L")}}));
    EXPECT_FALSE(desktop.Fresh().at("L")) << "the remaining monitor is not handed its picture again";

    desktop.monitors = {left, right, platform::Monitor {"T", 128, 0, 40, 64}};
    main->MonitorsChanged();
    const auto after = Shown();
    EXPECT_EQ(after.at("L"), before.at("L"));
    EXPECT_EQ(after.at("R"), before.at("R")) << "back: its own picture again";
    EXPECT_NE(after.at("T"), after.at("L"));
    EXPECT_NE(after.at("T"), after.at("R"));
    EXPECT_EQ(desktop.Fresh(), (std::map<std::string, bool> {{"L", false}, {"R", true}, {"T", true}}));
    EXPECT_EQ(Stamp(), "2026-12-08 09:00:00") << "no change of the rotation";

    const std::size_t changes = desktop.handed.size();
    main->MonitorsChanged();
    EXPECT_EQ(desktop.handed.size(), changes) << "the same monitors: nothing to do";
}

TEST_F(MonitorRotation, AMonitorChangeWhileTheDesktopTakesAChangeWaitsForItsEnd)
{
    Pictures({{"a.bmp", Qt::red}, {"b.bmp", Qt::green}, {"c.bmp", Qt::blue}});
    const platform::Monitor left {"L", 0, 0, 64, 40, true}, right {"R", 64, 0, 64, 40};
    desktop.monitors = {left, right};
    Start();
    desktop.whileApplying = [&] {
        desktop.monitors = {left};
        main->MonitorsChanged();
    };
    main->mnuNextWallpaperClick();
    EXPECT_EQ(desktop.deepest, 1) << "never a change inside a change";
    ASSERT_NE(main->FMonitorTimer, nullptr);
    EXPECT_TRUE(main->FMonitorTimer->isActive()) << "the monitors are looked at again after it";
    desktop.whileApplying = [&] { main->mnuNextWallpaperClick(); };
    main->MonitorsChanged();
    EXPECT_EQ(desktop.deepest, 1);
    EXPECT_EQ(Shown().size(), 1u) << "the monitor taken away";
}

TEST_F(MonitorRotation, AMonitorThatDoesNotShowItsPictureIsTriedAgainAndTheStatusSaysWhy)
{
    Pictures({{"a.bmp", Qt::red}, {"b.bmp", Qt::green}});
    desktop.monitors = {platform::Monitor {"L", 0, 0, 64, 40, true}, platform::Monitor {"R", 64, 0, 64, 40}};
    desktop.refusing = {"R"};
    Start();
    const auto statuses = main->MonitorWallpapers();
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_FALSE(statuses[1].shown);
    EXPECT_EQ(statuses[1].detail, "refused");
    EXPECT_EQ(statuses[1].width, 64u);
    ASSERT_NE(main->FMonitorTimer, nullptr);
    EXPECT_TRUE(main->FMonitorTimer->isActive()) << "tried again a moment later";
    desktop.refusing.clear();
    main->MonitorsChanged();
    EXPECT_EQ(desktop.Fresh(), (std::map<std::string, bool> {{"L", false}, {"R", true}}));
    EXPECT_TRUE(main->MonitorWallpapers()[1].shown);

    // Switched off: one picture for all again, and no monitor keeps one of its own.
    Settings("Cycle=0\nPerMonitor=0\n", "0=" + pics + "a.bmp\n");
    main->ReloadWallpaper();
    main->mnuNextWallpaperClick();
    EXPECT_EQ(desktop.single, 1);
    EXPECT_TRUE(main->MonitorWallpapers().empty());
}

} // namespace

// With a picture per monitor, the status names each monitor's, and the desktop's programs follow
// the primary monitor's picture.
TEST_F(MonitorRotation, TheStatusNamesEachMonitorsPictureAfterThePrimaryOne)
{
    Pictures({{"a.bmp", Qt::red}, {"b.bmp", Qt::green}, {"c.bmp", Qt::blue}});
    desktop.monitors = {platform::Monitor {"L", 64, 0, 64, 40}, platform::Monitor {"P", 0, 0, 30, 50, true}};
    Start();
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    const std::string status = main->StatusText();
    EXPECT_EQ(status.substr(0, status.find("Next change:")),
        "Wallpaper: " + pics + shown.at("P") + "\nMonitor L (64x40): " + pics + shown.at("L")
            + "\nMonitor P (30x50): " + pics + shown.at("P") + "\n");
    EXPECT_EQ(main->CurrentState(false).currentWallpaper, pics + shown.at("P"));
}
