#pragma once
#include "settings/DateTime.h"

#include <cstdint>

namespace kdx {

// The wallpaper cycles, as the wallpaper editor lists them.
enum WallpaperCycle { CycleHour = 0, CycleEveryStartup = 1, CycleAtInterval = 2 };

// What one tick of the rotation timer does.
enum class TickAction { None, Change, ChangeAndStop };

// Decides one tick from the cycle and the time since the last stamped change. A change is due
// once a whole period has passed since the stamp, however late the tick comes and however
// long the period is; the change stamps the time afresh, so the next one follows a period
// later. An interval below 1 counts as 1, as the wallpaper editor shows and stores it.
TickAction DecideTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange, TDateTime now);

// Seconds in the hourly cycle's period.
inline constexpr std::int32_t HourPeriod = 3600;

} // namespace kdx
