// The user's regional date and time formats: what is written reads back, whatever the locale.
#include "platform/win32/Win32Regional.h"

#include <gtest/gtest.h>
#include <windows.h>

using kdx::platform::CivilTime;
using kdx::platform::win32::Win32Regional;

namespace {

std::string SystemDate(const CivilTime& t)
{
    SYSTEMTIME st {};
    st.wYear = WORD(t.year);
    st.wMonth = WORD(t.month);
    st.wDay = WORD(t.day);
    char buf[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf);
    return buf;
}

TEST(Regional, FormatsAreTheSystemsShortDateAndLongTime)
{
    Win32Regional regional;
    const CivilTime t {2026, 12, 8, 14, 5, 9, 0};
    EXPECT_EQ(regional.FormatDate(t), SystemDate(t));
    SYSTEMTIME st {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 8;
    st.wHour = 14;
    st.wMinute = 5;
    st.wSecond = 9;
    char buf[128] = {};
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf);
    EXPECT_EQ(regional.FormatTime(t), buf);
}

TEST(Regional, EveryWrittenDateAndTimeReadsBack)
{
    Win32Regional regional;
    const CivilTime samples[] = {{2026, 12, 8, 14, 5, 9, 0}, {2024, 2, 29, 0, 0, 0, 0}, {1999, 1, 1, 12, 0, 0, 0},
        {2030, 10, 31, 23, 59, 59, 0}, {2001, 7, 4, 0, 30, 1, 0}, {2049, 6, 15, 11, 11, 11, 0}};
    for (const CivilTime& t : samples) {
        const std::string text = regional.FormatDate(t) + " " + regional.FormatTime(t);
        CivilTime back;
        ASSERT_TRUE(regional.ParseDateTime(text, back)) << text;
        EXPECT_EQ(back.year, t.year) << text;
        EXPECT_EQ(back.month, t.month) << text;
        EXPECT_EQ(back.day, t.day) << text;
        EXPECT_EQ(back.hour, t.hour) << text;
        EXPECT_EQ(back.minute, t.minute) << text;
        EXPECT_EQ(back.second, t.second) << text;
        CivilTime dateOnly;
        ASSERT_TRUE(regional.ParseDateTime(regional.FormatDate(t), dateOnly));
        EXPECT_EQ(dateOnly.hour, 0);
        EXPECT_EQ(dateOnly.day, t.day);
    }
}

TEST(Regional, ImpossibleOrForeignTextDoesNotParse)
{
    Win32Regional regional;
    CivilTime t;
    const std::string valid = regional.FormatDate({2026, 12, 8, 0, 0, 0, 0});
    for (const std::string& bad : {std::string(), std::string("abc"), std::string("31/31/2026"),
             std::string("2026-12-08T14:05:09"), valid + " ", valid + " 99:99:99", valid + "x"})
        EXPECT_FALSE(regional.ParseDateTime(bad, t)) << bad;
}

} // namespace
