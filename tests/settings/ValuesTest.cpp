// Value encodings of the settings file: integers, booleans and date-times.
#include "settings/DateTime.h"
#include "settings/TIniFile.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace kdx;

TEST(IniInteger, DecimalHexadecimalAndJunk)
{
    EXPECT_EQ(ParseIniInteger("60", 1), 60);
    EXPECT_EQ(ParseIniInteger("-12", 1), -12);
    EXPECT_EQ(ParseIniInteger("+7", 1), 7);
    EXPECT_EQ(ParseIniInteger("0x3C", 1), 60);
    EXPECT_EQ(ParseIniInteger("0X3c", 1), 60);
    EXPECT_EQ(ParseIniInteger("$10", 1), 16);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF", 1), -1);
    EXPECT_EQ(ParseIniInteger("0x", 1), 1);
    EXPECT_EQ(ParseIniInteger("$", 1), 1);
    EXPECT_EQ(ParseIniInteger("", 1), 1);
    EXPECT_EQ(ParseIniInteger("abc", 1), 1);
    EXPECT_EQ(ParseIniInteger("12abc", 1), 1);
    EXPECT_EQ(ParseIniInteger("yes", 1), 1);
    EXPECT_EQ(ParseIniInteger("2147483647", 1), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648", 1), -2147483647 - 1);
    EXPECT_EQ(ParseIniInteger("2147483648", 1), 1);
    EXPECT_EQ(ParseIniInteger("99999999999999999999", 1), 1);
    EXPECT_EQ(ParseIniInteger("$100000000", 1), 1);
}

TEST(DateTimeText, WrittenFormReadsBackAndDropsMidnight)
{
#ifdef _WIN32
    GTEST_SKIP() << "the fixed notation of the Linux backend; on Windows the user's regional formats apply";
#endif
    test::Sandbox box;
    const TDateTime t = TDateTime::FromCivil({2026, 12, 8, 14, 5, 9, 0});
    EXPECT_EQ(DateTimeToStr(t), "2026-12-08 14:05:09");
    TDateTime back;
    ASSERT_TRUE(StrToDateTime("2026-12-08 14:05:09", back));
    EXPECT_EQ(back, t);

    const TDateTime midnight = TDateTime::FromCivil({2024, 2, 29, 0, 0, 0, 0});
    EXPECT_EQ(DateTimeToStr(midnight), "2024-02-29");
    ASSERT_TRUE(StrToDateTime("2024-02-29", back));
    EXPECT_EQ(back, midnight);

    EXPECT_EQ(DateTimeToStr(TDateTime::FromCivil({2026, 1, 2, 3, 4, 5, 678})), "2026-01-02 03:04:05")
        << "no fraction of a second";
}

TEST(DateTimeText, ImpossibleOrForeignTextDoesNotParse)
{
    test::Sandbox box;
    TDateTime t;
    for (const char* bad : {"", "12/08/2026 14:05:09", "2026-13-01", "2023-02-29", "2026-12-08 24:00:00",
             "2026-12-08 14:05", "2026-12-08T14:05:09", "2026-12-08 14:05:09 ", "abc"})
        EXPECT_FALSE(StrToDateTime(bad, t)) << bad;
}

TEST(DateTimeValue, CountsFromTheWindowsEpoch)
{
    EXPECT_EQ(TDateTime::FromCivil({1899, 12, 30, 0, 0, 0, 0}).Ms(), 0);
    EXPECT_EQ(TDateTime::FromCivil({1900, 1, 1, 12, 0, 0, 0}).Ms(), 2 * TDateTime::MsPerDay + TDateTime::MsPerDay / 2);
    const platform::CivilTime c = TDateTime::FromCivil({2000, 3, 1, 23, 59, 58, 7}).ToCivil();
    EXPECT_EQ(c.year, 2000);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.minute, 59);
    EXPECT_EQ(c.second, 58);
    EXPECT_EQ(c.millisecond, 7);
}
