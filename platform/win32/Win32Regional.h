#pragma once
#include "platform/System.h"

#include <string>
#include <vector>

namespace kdx::platform::win32 {

// Dates in the user's short date format and times in the user's long time format, as the
// system writes them. Reading takes the same two pictures (LOCALE_SSHORTDATE, then
// LOCALE_STIMEFORMAT after one blank) and accepts what they produce: numbers of one or two
// digits where the picture has d, M, h, H, m, s (two where it doubles them), the locale's
// month names, day names and AM/PM marks where it has those, and its other characters as
// they stand. A two-digit year is taken in 1950..2049.
class Win32Regional final : public IRegional {
public:
    std::string FormatDate(const CivilTime& t) override;
    std::string FormatTime(const CivilTime& t) override;
    bool ParseDateTime(const std::string& text, CivilTime& out) override;
};

} // namespace kdx::platform::win32
