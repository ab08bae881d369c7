// The main window under the control of other programs: the commands a later start hands over
// (the command-line switches), the same on the session bus, and what the agent tells them about
// itself.
#include "TfrmMain.h"

#include "WallpaperRotation.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"

#include <QDateTime>
#include <QTimer>

namespace kdx {

namespace {

// Seconds since 1970 (UTC) of a local date and time.
std::int64_t SecondsSinceEpoch(TDateTime local)
{
    const platform::CivilTime t = local.ToCivil();
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::LocalTime)
        .toSecsSinceEpoch();
}

} // namespace

std::optional<std::string> TfrmMain::AgentMessage(unsigned message)
{
    // The commands run from the event loop, after the asking program has its answer: a report
    // they raise must not keep it waiting.
    const auto later = [this](void (TfrmMain::*command)()) {
        QTimer::singleShot(0, this, Reporting(this, command));
        return std::string();
    };
    switch (message) {
    case platform::WM_AGENT_ACTIVATE:
        return later(&TfrmMain::AgentActivate);
    case platform::WM_AGENT_EXECUTE:
        return later(&TfrmMain::mnuExecuteClick);
    case platform::WM_AGENT_NEXT_WALLPAPER:
        return later(&TfrmMain::mnuNextWallpaperClick);
    case platform::WM_AGENT_CLEAR_DESKTOP:
        return later(&TfrmMain::mnuClearDesktopClick);
    case platform::WM_AGENT_STATUS:
        return StatusText();
    default:
        return std::nullopt;
    }
}

std::optional<TDateTime> TfrmMain::NextChangeAt()
{
    if (!FTimerPaperOn || !FWallpaper)
        return std::nullopt;
    const TDateTime now = Now();
    const std::optional<std::int64_t> wait
        = SecondsUntilChange(FWallpaper->Cycle, FWallpaper->Interval, FWallpaper->PrevChange, FFailedChange, now);
    if (!wait)
        return std::nullopt;
    // The stamps are whole seconds, so the instant is the same at every asking within a second.
    const std::int64_t dueMs = now.Ms() - now.Ms() % 1000 + std::max<std::int64_t>(*wait, 0) * 1000;
    return TDateTime::FromMs(dueMs);
}

platform::AgentState TfrmMain::CurrentState(bool withLists)
{
    platform::AgentState state;
    state.currentWallpaper = FCurrentWallpaper;
    if (const std::optional<TDateTime> due = NextChangeAt())
        state.nextChange = SecondsSinceEpoch(*due);
    if (withLists && FConfig) {
        const std::pair<const char*, int*> lists[] = {{"SaverList", &state.savers}, {"FlashList", &state.flashMovies},
            {"ImageList", &state.pictures}, {"PaperList", &state.wallpapers}};
        for (const auto& [section, size] : lists) {
            TStrings list;
            FConfig->ReadList(section, list);
            *size = int(list.size());
        }
    }
    return state;
}

std::string TfrmMain::StatusText()
{
    const platform::AgentState state = CurrentState(true);
    const std::optional<TDateTime> due = NextChangeAt();
    std::string text = "Wallpaper: "
        + (state.currentWallpaper.empty() ? std::string("not changed since the agent started") : state.currentWallpaper)
        + "\n";
    // A picture per monitor: each monitor's, after the one the desktop's programs follow.
    for (const TMonitorStatus& monitor : FMonitorStatus)
        text += "Monitor " + monitor.monitor + " (" + std::to_string(monitor.width) + "x"
            + std::to_string(monitor.height) + "): " + monitor.picture + "\n";
    text += "Next change: " + (due ? DateTimeToStr(*due) : std::string("none (the rotation is off)")) + "\n";
    text += "Screensavers: " + std::to_string(state.savers) + "\n";
    text += "Flash movies: " + std::to_string(state.flashMovies) + "\n";
    text += "Pictures: " + std::to_string(state.pictures) + "\n";
    text += "Wallpapers: " + std::to_string(state.wallpapers) + "\n";
    return text;
}

void TfrmMain::WallpaperShown(const std::string& picture)
{
    FCurrentWallpaper = picture;
    if (platform::IAgentBus* bus = platform::Current().agentBus) {
        bus->WallpaperChanged(picture);
        bus->StateChanged(CurrentState(false));
    }
}

void TfrmMain::AnnounceState()
{
    if (platform::IAgentBus* bus = platform::Current().agentBus)
        bus->StateChanged(CurrentState(false));
}

} // namespace kdx
