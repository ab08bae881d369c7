// A different picture on each monitor: the monitors of the desktop, what each was given, and
// what happens when one is added, removed, moved or turned.
#include "TfrmMain.h"
#include "platform/Platform.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <random>

namespace kdx {

namespace {

// The toolkit reports a new monitor in several steps (added, then placed): the change is made
// once they have settled.
constexpr int MonitorSettleMs = 700;
// A desktop may learn of a new monitor after the agent does (xfdesktop makes its backdrop about
// two seconds later): a monitor that does not show its picture is tried again this much later,
// so many times.
constexpr int MonitorRetryMs = 2500;
constexpr int MonitorAttempts = 4;

bool SameMonitors(const std::vector<platform::Monitor>& a, const std::vector<platform::Monitor>& b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const platform::Monitor& x, const platform::Monitor& y) {
            return x.name == y.name && x.x == y.x && x.y == y.y && x.width == y.width && x.height == y.height;
        });
}

} // namespace

std::function<int(int n)> RandomBelow()
{
    return [generator = std::make_shared<std::mt19937>(std::random_device {}())](
               int n) { return std::uniform_int_distribution<int>(0, n - 1)(*generator); };
}

std::vector<platform::Monitor> TfrmMain::CurrentMonitors()
{
    std::vector<platform::Monitor> monitors = platform::Current().desktop->Monitors();
    if (!monitors.empty())
        return monitors;
    // The toolkit's screens: their size in device pixels is exact at whole scale factors.
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect place = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        platform::Monitor monitor;
        monitor.name = screen->name().toStdString();
        monitor.x = place.x();
        monitor.y = place.y();
        monitor.width = unsigned(qRound(place.width() * ratio));
        monitor.height = unsigned(qRound(place.height() * ratio));
        monitor.primary = screen == primary;
        if (monitor.width && monitor.height)
            monitors.push_back(monitor);
    }
    std::stable_partition(monitors.begin(), monitors.end(), [](const platform::Monitor& m) { return m.primary; });
    return monitors;
}

void TfrmMain::WatchMonitors()
{
    FMonitorTimer = new QTimer(this);
    FMonitorTimer->setSingleShot(true);
    connect(FMonitorTimer, &QTimer::timeout, this, Reporting(this, &TfrmMain::MonitorsChanged));
    const auto changed = [this] {
        FMonitorAttempts = 0;
        FMonitorTimer->start(MonitorSettleMs);
    };
    const auto watch = [this, changed](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, changed);
        connect(screen, &QScreen::orientationChanged, this, changed);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [watch, changed](QScreen* screen) {
        watch(screen);
        changed();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, changed);
}

platform::WallpaperOutcome TfrmMain::ShowMonitorPicks(std::vector<MonitorPick> picks)
{
    const platform::WallpaperOutcome outcome = FPubUnit->SetMonitorWallpapers(picks, FWallpaper->Style);
    Remember(FMonitorRecords, picks);
    FShownMonitors.clear();
    FMonitorStatus.clear();
    bool missing = false;
    for (const MonitorPick& pick : picks) {
        FShownMonitors.push_back(pick.monitor);
        TMonitorStatus status {
            pick.monitor.name, pick.monitor.width, pick.monitor.height, pick.picture, outcome.shown, outcome.detail};
        const auto shown = std::find_if(outcome.monitors.begin(), outcome.monitors.end(),
            [&pick](const platform::MonitorShown& m) { return m.monitor == pick.monitor.name; });
        if (shown != outcome.monitors.end()) {
            status.shown = shown->shown;
            status.detail = shown->detail;
        }
        missing = missing || !status.shown;
        FMonitorStatus.push_back(status);
    }
    if (FPanel)
        FPanel->MonitorWallpapersChanged();
    // The desktop's programs follow the primary monitor's picture.
    const auto primary
        = std::find_if(picks.begin(), picks.end(), [](const MonitorPick& pick) { return pick.monitor.primary; });
    if (!picks.empty())
        WallpaperShown((primary != picks.end() ? *primary : picks.front()).picture);
    // Tried again a little later, a few times, unless the toolkit reports a change before.
    if (missing && FMonitorTimer && ++FMonitorAttempts < MonitorAttempts)
        FMonitorTimer->start(MonitorRetryMs);
    return outcome;
}

void TfrmMain::MonitorsChanged()
{
    // Only where the agent gave the monitors their pictures in this run, and still does.
    if (!FWallpaper || !FWallpaper->PerMonitor || FShownMonitors.empty())
        return;
    // A change still waiting for the desktop's answer (in a nested event loop) ends first; the
    // monitors are looked at again after it, so no second change starts inside the first.
    if (FChangingWallpaper) {
        if (FMonitorTimer)
            FMonitorTimer->start(MonitorSettleMs);
        return;
    }
    const std::vector<platform::Monitor> monitors = CurrentMonitors();
    if (monitors.empty())
        return;
    const bool same = SameMonitors(monitors, FShownMonitors);
    const bool missing = std::any_of(
        FMonitorStatus.begin(), FMonitorStatus.end(), [](const TMonitorStatus& status) { return !status.shown; });
    if (same && !missing)
        return;
    std::vector<MonitorPick> picks = PlanMonitorChange(
        monitors, FShownMonitors, FWallpaper->Items, FMonitorRecords, MonitorRandom,
        [this](const std::string& path) { return FPictureSizes.Of(path); },
        [](const std::string& path) { return platform::Current().files->FileExists(path); });
    // A monitor that did not show its picture is handed it again.
    for (MonitorPick& pick : picks)
        for (const TMonitorStatus& status : FMonitorStatus)
            if (status.monitor == pick.monitor.name && !status.shown)
                pick.fresh = true;
    if (picks.empty())
        return;
    FChangingWallpaper = true;
    const std::shared_ptr<void> changed(nullptr, [this](void*) { FChangingWallpaper = false; });
    ShowMonitorPicks(std::move(picks));
}

} // namespace kdx
