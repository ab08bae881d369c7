// The main window's wallpaper rotation: a change at start-up, then one per period of the
// chosen cycle, driven by the one-second timer; "Next Wallpaper" changes it on demand.
#include "TfrmMain.h"
#include "WallpaperRotation.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"

#include <QAction>
#include <QThread>
#include <QTimer>

namespace kdx {

namespace {

// After a timed change the tick waits before reloading, so the next tick sees the new stamp at
// least a second old.
constexpr int PauseAfterChangeMs = 1000;

} // namespace

void TfrmMain::StartRotation()
{
    if (!Pause)
        Pause = [](int ms) { QThread::msleep(ms); };
    connect(TimerPaper, &QTimer::timeout, this, Reporting(this, &TfrmMain::TimerPaperTimer));
    connect(mnuNextWallpaper, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuNextWallpaperClick));
    FWallpaper = std::make_unique<TWallpaper>();
    ReloadWallpaper();
    if (!FWallpaper->Activate) {
        EnableTimerPaper(false);
        return;
    }
    EnableTimerPaper(true);
    ChangeWallpaper();
    ReloadWallpaper();
}

void TfrmMain::ChangeWallpaper()
{
    const int count = int(FWallpaper->Items.size());
    if (count < 1) {
        EnableTimerPaper(false);
        return;
    }
    const TDateTime attempt = Now();
    platform::WallpaperOutcome outcome;
    try {
        const int index = FPubUnit->RandomIndex(count);
        outcome = FPubUnit->SetWallpaper(FWallpaper->Items[size_t(index)], FWallpaper->Style);
        FConfig->WriteStamp("Wallpaper", "PrevChange", Now());
    } catch (...) {
        FFailedChange = attempt;
        throw;
    }
    FFailedChange.reset();
    // The change is made and stamped, so the rotation keeps its pace; the user learns once that
    // the desktop does not show it, rather than at every period.
    if (!outcome.shown && FWallpaperShown)
        ReportError(texts::WallpaperNotShown + outcome.detail);
    FWallpaperShown = outcome.shown;
}

void TfrmMain::TimerPaperTimer()
{
    const TickAction action
        = DecideTick(FWallpaper->Cycle, FWallpaper->Interval, FWallpaper->PrevChange, FFailedChange, Now());
    if (action == TickAction::None)
        return;
    if (action != TickAction::Change)
        EnableTimerPaper(false);
    if (action == TickAction::Stop)
        return;
    ChangeWallpaper();
    Pause(PauseAfterChangeMs);
    ReloadWallpaper();
}

void TfrmMain::mnuNextWallpaperClick() { ChangeWallpaper(); }

} // namespace kdx
