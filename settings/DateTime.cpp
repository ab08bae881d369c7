#include "DateTime.h"

#include "platform/Platform.h"

namespace kdx {

namespace {

// Days from 1970-01-01 to a civil date, and back (the proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

const std::int64_t EpochOffsetDays = DaysFromCivil(1899, 12, 30);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

} // namespace

TDateTime TDateTime::FromCivil(const platform::CivilTime& t)
{
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) - EpochOffsetDays;
    const std::int64_t ms = ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    return TDateTime(days * MsPerDay + ms);
}

TDateTime TDateTime::Now() { return FromCivil(platform::Current().system->LocalTime()); }

platform::CivilTime TDateTime::ToCivil() const
{
    const std::int64_t days = FloorDiv(ms_, MsPerDay);
    std::int64_t rest = ms_ - days * MsPerDay;
    platform::CivilTime t;
    CivilFromDays(days + EpochOffsetDays, t.year, t.month, t.day);
    t.millisecond = int(rest % 1000);
    rest /= 1000;
    t.second = int(rest % 60);
    rest /= 60;
    t.minute = int(rest % 60);
    t.hour = int(rest / 60);
    return t;
}

std::string DateTimeToStr(TDateTime t)
{
    const platform::CivilTime c = t.ToCivil();
    auto& regional = *platform::Current().regional;
    std::string text = regional.FormatDate(c);
    if (c.hour != 0 || c.minute != 0 || c.second != 0) {
        text += ' ';
        text += regional.FormatTime(c);
    }
    return text;
}

bool StrToDateTime(const std::string& text, TDateTime& out)
{
    platform::CivilTime c;
    if (!platform::Current().regional->ParseDateTime(text, c))
        return false;
    out = TDateTime::FromCivil(c);
    return true;
}

} // namespace kdx
