#pragma once
#include "platform/System.h"

#include <cstdint>

namespace kdx {

// A local date and time to the millisecond, counted from 1899-12-30 00:00 as the
// Windows date-time type counts it, so whole days and the time of day split cleanly.
class TDateTime {
public:
    static constexpr std::int64_t MsPerDay = 86400000;

    TDateTime() = default;
    static TDateTime FromMs(std::int64_t ms) { return TDateTime(ms); }
    static TDateTime FromCivil(const platform::CivilTime& t);
    static TDateTime Now(); // the current local time, from the platform clock

    platform::CivilTime ToCivil() const;
    std::int64_t Ms() const { return ms_; }

    friend bool operator==(TDateTime a, TDateTime b) { return a.ms_ == b.ms_; }
    friend bool operator<(TDateTime a, TDateTime b) { return a.ms_ < b.ms_; }
    friend bool operator>=(TDateTime a, TDateTime b) { return a.ms_ >= b.ms_; }

private:
    explicit TDateTime(std::int64_t ms) : ms_(ms) { }
    std::int64_t ms_ = 0;
};

// The settings-file text of a date-time: date, a blank and the time to whole seconds; the
// blank and the time are left out when the time is midnight.
std::string DateTimeToStr(TDateTime t);
bool StrToDateTime(const std::string& text, TDateTime& out);

} // namespace kdx
