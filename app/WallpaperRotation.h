#pragma once
#include "settings/DateTime.h"

#include <cstdint>
#include <optional>

namespace kdx {

// The wallpaper cycles, as the wallpaper editor lists them.
enum WallpaperCycle { CycleHour = 0, CycleEveryStartup = 1, CycleAtInterval = 2 };

// What one tick of the rotation timer does.
enum class TickAction { None, Change, ChangeAndStop, Stop };

// Seconds in the hourly cycle's period.
inline constexpr std::int32_t HourPeriod = 3600;

// Whole seconds from Now until the next timed change is due (0 or less: due now), or nothing
// when none is due in this run. A change is due once a whole period has passed since the stamp,
// however late the tick comes and however long the period is; the change stamps the time
// afresh, so the next one follows a period later. An interval below 1 counts as 1, as the
// wallpaper editor shows and stores it. After a failed attempt (a picture that cannot be used,
// a stamp that cannot be written) the next one also waits a whole period from that attempt, so
// the failure is reported once a period and not at every tick. "Every Startup" is due at once,
// and after a failed attempt not again in this run.
std::optional<std::int64_t> SecondsUntilChange(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now);

// The bounds of the rotation timer's sleep: its one-second pace at the shortest, and at the
// longest what a jump of the wall clock that the system does not announce may go unnoticed.
inline constexpr std::int64_t MinSleepMs = 1000;
inline constexpr std::int64_t MaxSleepMs = 10 * 60 * 1000;

// How long the rotation timer sleeps from Now: until the next change can be due (never before
// it, so a tick finds it due), within the bounds above; the longest when none can be due.
std::int64_t SleepBeforeTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now);

// Decides one tick at Now by SecondsUntilChange.
TickAction DecideTick(std::int32_t cycle, std::int32_t interval, TDateTime prevChange,
    std::optional<TDateTime> failedAttempt, TDateTime now);

} // namespace kdx
