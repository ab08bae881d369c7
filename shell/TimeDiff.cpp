#include "TPublicUnit.h"

#include <algorithm>
#include <limits>

namespace kdx {

// Whole days count too: dropping them would make a period of a day or more never come round.
std::int32_t TPublicUnit::TimeDiff(std::uint8_t flags, TDateTime t1, TDateTime t2)
{
    const bool positive = t1 >= t2;
    const std::int64_t seconds = (positive ? t1.Ms() - t2.Ms() : t2.Ms() - t1.Ms()) / 1000;
    std::int64_t result = 0;
    if (flags & 1)
        result = seconds;
    else if (flags & 2)
        result = seconds / 60;
    else if (flags & 4)
        result = seconds / 3600;
    else
        return -1;
    result = std::min<std::int64_t>(result, std::numeric_limits<std::int32_t>::max());
    return std::int32_t(positive ? result : -result);
}

} // namespace kdx
