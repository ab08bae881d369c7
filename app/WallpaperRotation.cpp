#include "WallpaperRotation.h"

#include "shell/TPublicUnit.h"

#include <algorithm>

namespace kdx {

std::optional<std::int64_t> SecondsUntilChange(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now)
{
    std::int64_t period = 0;
    switch (cycle) {
    case CycleEveryStartup:
        return failedAttempt ? std::nullopt : std::optional<std::int64_t>(0);
    case CycleHour:
        period = HourPeriod;
        break;
    case CycleAtInterval:
        period = std::max<std::int32_t>(interval, 1);
        break;
    default:
        return std::nullopt;
    }
    TPublicUnit unit;
    std::int64_t wait = period - unit.TimeDiff(1, now, prevChange);
    if (failedAttempt)
        wait = std::max(wait, period - unit.TimeDiff(1, now, *failedAttempt));
    return wait;
}

std::int64_t SleepBeforeTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now)
{
    const std::optional<std::int64_t> wait = SecondsUntilChange(cycle, interval, prevChange, failedAttempt, now);
    if (!wait || *wait > MaxSleepMs / 1000)
        return MaxSleepMs;
    return std::max(*wait * 1000, MinSleepMs);
}

TickAction DecideTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now)
{
    const std::optional<std::int64_t> wait = SecondsUntilChange(cycle, interval, prevChange, failedAttempt, now);
    if (cycle == CycleEveryStartup)
        return wait ? TickAction::ChangeAndStop : TickAction::Stop;
    return wait && *wait <= 0 ? TickAction::Change : TickAction::None;
}

} // namespace kdx
