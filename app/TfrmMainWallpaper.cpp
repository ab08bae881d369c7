// The main window's wallpaper rotation: a change at start-up, then one per period of the
// chosen cycle, driven by a timer that sleeps until the next change can be due; "Next
// Wallpaper" changes it on demand.
#include "ClockJumps.h"
#include "TfrmMain.h"
#include "WallpaperRotation.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"

#include <memory>

#include <QAction>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace kdx {

namespace {

// After a timed change the tick waits before reloading, so the next tick sees the new stamp at
// least a second old.
constexpr int PauseAfterChangeMs = 1000;

// Arms the rotation's timer again when it goes out of scope, also when a change failed: the
// failure is reported, and the rotation goes on.
class RearmTimerPaper {
public:
    explicit RearmTimerPaper(TfrmMain& main) : main_(main) { }
    ~RearmTimerPaper() { main_.ArmTimerPaper(); }
    RearmTimerPaper(const RearmTimerPaper&) = delete;
    RearmTimerPaper& operator=(const RearmTimerPaper&) = delete;

private:
    TfrmMain& main_;
};

} // namespace

void TfrmMain::StartRotation()
{
    if (!Pause)
        Pause = [](int ms) { QThread::msleep(ms); };
    connect(TimerPaper, &QTimer::timeout, this, Reporting(this, &TfrmMain::TimerPaperTimer));
    connect(mnuNextWallpaper, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuNextWallpaperClick));
    FClockJumps = std::make_unique<ClockJumps>([this] { ClockJumped(); });
    WatchMonitors();
    FWallpaper = std::make_unique<TWallpaper>();
    ReloadWallpaper();
    if (!FWallpaper->Activate) {
        EnableTimerPaper(false);
        return;
    }
    EnableTimerPaper(true);
    const RearmTimerPaper rearm(*this);
    if (RotationChange())
        ReloadWallpaper();
}

bool TfrmMain::RotationChange()
{
    try {
        ChangeWallpaper();
        return !FFailedChange;
    } catch (const std::exception& error) {
        ReportRotationError(error.what());
    } catch (...) {
        ReportRotationError("An unknown error occurred.");
    }
    return false;
}

void TfrmMain::ReportRotationError(const std::string& text)
{
    if (FRotationReportOpen)
        return;
    FRotationReportOpen = true;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            ReportError(text);
            FRotationReportOpen = false;
        },
        Qt::QueuedConnection);
}

void TfrmMain::EnableTimerPaper(bool enabled)
{
    FTimerPaperOn = enabled;
    if (enabled) {
        // Switched on anew (the wallpaper editor's Save): the settings may have been mended, so
        // an earlier failure no longer holds the next change back.
        FFailedChange.reset();
        ArmTimerPaper();
    } else {
        TimerPaper->stop();
        AnnounceState();
    }
}

void TfrmMain::ArmTimerPaper()
{
    if (FTimerPaperOn)
        TimerPaper->start(int(
            SleepBeforeTick(FWallpaper->Cycle, FWallpaper->Interval, FWallpaper->PrevChange, FFailedChange, Now())));
    AnnounceState();
}

void TfrmMain::ClockJumped() { ArmTimerPaper(); }

void TfrmMain::ChangeWallpaper()
{
    const int count = int(FWallpaper->Items.size());
    if (count < 1) {
        EnableTimerPaper(false);
        return;
    }
    if (FChangingWallpaper)
        return;
    FChangingWallpaper = true;
    const std::shared_ptr<void> changed(nullptr, [this](void*) { FChangingWallpaper = false; });
    const TDateTime attempt = Now();
    platform::WallpaperOutcome outcome;
    try {
        const std::vector<platform::Monitor> monitors
            = FWallpaper->PerMonitor ? CurrentMonitors() : std::vector<platform::Monitor>();
        if (!monitors.empty()) {
            FMonitorAttempts = 0;
            outcome = ShowMonitorPicks(PlanRotation(monitors, FWallpaper->Items, FMonitorRecords, MonitorRandom,
                [this](const std::string& path) { return FPictureSizes.Of(path); }));
        } else {
            // The rotation's random entry, but never the picture on the desktop now while the
            // list holds another: a change that shows the same picture looks like none.
            const std::size_t index = IndexOtherThanShown(
                FWallpaper->Items, FCurrentWallpaper, std::size_t(FPubUnit->RandomIndex(count)), MonitorRandom);
            const std::string& picture = FWallpaper->Items[index];
            outcome = FPubUnit->SetWallpaper(picture, FWallpaper->Style);
            WallpaperShown(picture);
            // One picture for all: no monitor keeps one of its own now.
            FShownMonitors.clear();
            if (!FMonitorStatus.empty()) {
                FMonitorStatus.clear();
                if (FPanel)
                    FPanel->MonitorWallpapersChanged();
            }
        }
        FConfig->WriteStamp("Wallpaper", "PrevChange", Now());
    } catch (...) {
        FFailedChange = attempt;
        throw;
    }
    FFailedChange.reset();
    // The change is made and stamped, so the rotation keeps its pace; the user learns once that
    // the desktop does not show it, rather than at every period.
    const bool firstNotShown = !outcome.shown && FWallpaperShown;
    FWallpaperShown = outcome.shown;
    if (firstNotShown)
        ReportRotationError(texts::WallpaperNotShown + outcome.detail);
}

void TfrmMain::TimerPaperTimer()
{
    const TickAction action
        = DecideTick(FWallpaper->Cycle, FWallpaper->Interval, FWallpaper->PrevChange, FFailedChange, Now());
    if (action != TickAction::None && action != TickAction::Change)
        EnableTimerPaper(false);
    const RearmTimerPaper rearm(*this);
    if (action == TickAction::None || action == TickAction::Stop || !RotationChange())
        return;
    Pause(PauseAfterChangeMs);
    ReloadWallpaper();
}

void TfrmMain::mnuNextWallpaperClick()
{
    // The stamp the timer measures from stays as loaded; only a failure moves the next attempt.
    const RearmTimerPaper rearm(*this);
    ChangeWallpaper();
}

} // namespace kdx
