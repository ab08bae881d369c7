#include "Win32Regional.h"

#include <windows.h>

#include <algorithm>

namespace kdx::platform::win32 {

namespace {

struct LocaleNames {
    std::vector<std::string> months, shortMonths, days, shortDays;
    std::string am, pm;
};

std::string LocaleText(LCTYPE type)
{
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (n <= 0)
        return {};
    std::string text(size_t(n), '\0');
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text.data(), n);
    text.resize(text.find('\0'));
    return text;
}

std::vector<std::string> LocaleTexts(LCTYPE first, int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(LocaleText(first + LCTYPE(i)));
    return texts;
}

LocaleNames UserNames()
{
    return {LocaleTexts(LOCALE_SMONTHNAME1, 12), LocaleTexts(LOCALE_SABBREVMONTHNAME1, 12),
        LocaleTexts(LOCALE_SDAYNAME1, 7), LocaleTexts(LOCALE_SABBREVDAYNAME1, 7), LocaleText(LOCALE_S1159),
        LocaleText(LOCALE_S2359)};
}

int DayOfWeek(int y, int m, int d) // 0 = Sunday
{
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3)
        --y;
    return (y + y / 4 - y / 100 + y / 400 + offsets[m - 1] + d) % 7;
}

SYSTEMTIME ToSystemTime(const CivilTime& t)
{
    SYSTEMTIME st {};
    st.wYear = WORD(t.year);
    st.wMonth = WORD(t.month);
    st.wDay = WORD(t.day);
    st.wDayOfWeek = WORD(t.month >= 1 && t.month <= 12 ? DayOfWeek(t.year, t.month, t.day) : 0);
    st.wHour = WORD(t.hour);
    st.wMinute = WORD(t.minute);
    st.wSecond = WORD(t.second);
    return st;
}

// Runs a Get...FormatA call twice: once for the length, once for the text.
template <typename FormatFn> std::string Formatted(FormatFn format)
{
    const int n = format(nullptr, 0);
    if (n <= 0)
        return {};
    std::string text(size_t(n), '\0');
    if (format(text.data(), n) <= 0)
        return {};
    text.resize(text.find('\0'));
    return text;
}

bool SameText(const std::string& text, size_t pos, const std::string& word)
{
    if (word.empty() || pos + word.size() > text.size())
        return false;
    return CompareStringA(
               LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data() + pos, int(word.size()), word.data(), int(word.size()))
        == CSTR_EQUAL;
}

// Reads the picture's fields from the text, one by one.
class PictureReader {
public:
    PictureReader(const std::string& text, const LocaleNames& names) : text_(text), names_(names) { }

    bool Read(const std::string& picture, CivilTime& t);
    size_t Pos() const { return pos_; }
    bool TwelveHour() const { return twelveHour_; }
    int Meridiem() const { return meridiem_; }
    int YearDigits() const { return yearDigits_; }

private:
    bool Field(char letter, size_t count, CivilTime& t);
    bool Number(size_t minDigits, size_t maxDigits, int& out);
    int Word(const std::vector<std::string>& words); // the index of the longest match, or -1
    bool Literal(char c);

    const std::string& text_;
    const LocaleNames& names_;
    size_t pos_ = 0;
    bool twelveHour_ = false;
    int meridiem_ = -1; // 0 before noon, 1 after
    int yearDigits_ = 0;
};

bool PictureReader::Number(size_t minDigits, size_t maxDigits, int& out)
{
    size_t n = 0;
    out = 0;
    while (n < maxDigits && pos_ + n < text_.size() && text_[pos_ + n] >= '0' && text_[pos_ + n] <= '9')
        out = out * 10 + (text_[pos_ + n++] - '0');
    pos_ += n;
    return n >= minDigits;
}

int PictureReader::Word(const std::vector<std::string>& words)
{
    int best = -1;
    for (size_t i = 0; i < words.size(); ++i)
        if (SameText(text_, pos_, words[i]) && (best < 0 || words[i].size() > words[size_t(best)].size()))
            best = int(i);
    if (best >= 0)
        pos_ += words[size_t(best)].size();
    return best;
}

bool PictureReader::Literal(char c)
{
    if (pos_ >= text_.size() || text_[pos_] != c)
        return false;
    ++pos_;
    return true;
}

bool PictureReader::Field(char letter, size_t count, CivilTime& t)
{
    const size_t minDigits = count >= 2 ? 2 : 1;
    switch (letter) {
    case 'd':
        if (count >= 3)
            return Word(count == 3 ? names_.shortDays : names_.days) >= 0;
        return Number(minDigits, 2, t.day);
    case 'M':
        if (count >= 3)
            return (t.month = Word(count == 3 ? names_.shortMonths : names_.months) + 1) > 0;
        return Number(minDigits, 2, t.month);
    case 'y':
        yearDigits_ = count >= 3 ? 4 : 2;
        return Number(count >= 3 ? 4 : minDigits, yearDigits_, t.year);
    case 'h':
    case 'H':
        twelveHour_ = letter == 'h';
        return Number(minDigits, 2, t.hour);
    case 'm':
        return Number(minDigits, 2, t.minute);
    case 's':
        return Number(minDigits, 2, t.second);
    case 't': {
        const std::vector<std::string> marks = count == 1
            ? std::vector<std::string> {names_.am.substr(0, 1), names_.pm.substr(0, 1)}
            : std::vector<std::string> {names_.am, names_.pm};
        meridiem_ = Word(marks);
        return meridiem_ >= 0 || (names_.am.empty() && names_.pm.empty());
    }
    default: // an era: the locale's name for it, which this calendar does not need
        while (pos_ < text_.size() && text_[pos_] != ' ' && (text_[pos_] < '0' || text_[pos_] > '9'))
            ++pos_;
        return true;
    }
}

bool PictureReader::Read(const std::string& picture, CivilTime& t)
{
    static const std::string fieldLetters = "dMyghHmst";
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') { // quoted text, with '' standing for one quote
            for (++i; i < picture.size(); ++i) {
                if (picture[i] == '\'' && (i + 1 >= picture.size() || picture[i + 1] != '\''))
                    break;
                if (picture[i] == '\'')
                    ++i;
                if (!Literal(picture[i]))
                    return false;
            }
            ++i;
            continue;
        }
        if (fieldLetters.find(c) == std::string::npos) {
            if (!Literal(c))
                return false;
            ++i;
            continue;
        }
        size_t count = 1;
        while (i + count < picture.size() && picture[i + count] == c)
            ++count;
        if (!Field(c, count, t))
            return false;
        i += count;
    }
    return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

bool Valid(const CivilTime& t)
{
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month)
        && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

} // namespace

std::string Win32Regional::FormatDate(const CivilTime& t)
{
    const SYSTEMTIME st = ToSystemTime(t);
    return Formatted(
        [&](char* buf, int n) { return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, n); });
}

std::string Win32Regional::FormatTime(const CivilTime& t)
{
    const SYSTEMTIME st = ToSystemTime(t);
    return Formatted([&](char* buf, int n) { return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, n); });
}

bool Win32Regional::ParseDateTime(const std::string& text, CivilTime& out)
{
    const LocaleNames names = UserNames();
    CivilTime t;
    PictureReader date(text, names);
    if (!date.Read(LocaleText(LOCALE_SSHORTDATE), t))
        return false;
    if (date.YearDigits() == 2)
        t.year += t.year < 50 ? 2000 : 1900;
    if (date.Pos() < text.size()) {
        if (text[date.Pos()] != ' ')
            return false;
        const std::string rest = text.substr(date.Pos() + 1);
        PictureReader time(rest, names);
        if (!time.Read(LocaleText(LOCALE_STIMEFORMAT), t) || time.Pos() != rest.size())
            return false;
        if (time.TwelveHour()) {
            if (t.hour < 1 || t.hour > 12)
                return false;
            t.hour = t.hour % 12 + (time.Meridiem() == 1 ? 12 : 0);
        }
    }
    if (!Valid(t))
        return false;
    out = t;
    return true;
}

} // namespace kdx::platform::win32
