#include "WallpaperRotation.h"

#include "shell/TPublicUnit.h"

#include <algorithm>

namespace kdx {

TickAction DecideTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange, TDateTime now)
{
    std::int32_t period = 0;
    switch (cycle) {
    case CycleEveryStartup:
        return TickAction::ChangeAndStop;
    case CycleHour:
        period = HourPeriod;
        break;
    case CycleAtInterval:
        period = std::max<std::int32_t>(interval, 1);
        break;
    default:
        return TickAction::None;
    }
    const std::int32_t elapsed = TPublicUnit().TimeDiff(1, now, prevChange);
    return elapsed >= period ? TickAction::Change : TickAction::None;
}

} // namespace kdx
