#include "core/values/dvxdatetime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace vro {
namespace {

const TDvxFormatSettings de = TDvxFormatSettings::German();
const TDvxFormatSettings iso = TDvxFormatSettings::Iso();

TEST(DateTime, EncodeDecodeRoundTrip)
{
    EXPECT_DOUBLE_EQ(*EncodeDvxDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    EXPECT_DOUBLE_EQ(*EncodeDvxDateTime({1899, 12, 30, 12, 0, 0, 0}), 0.5);
    EXPECT_FALSE(EncodeDvxDateTime({2001, 2, 29, 0, 0, 0, 0}));
    EXPECT_TRUE(EncodeDvxDateTime({2000, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(EncodeDvxDateTime({2000, 1, 1, 24, 0, 0, 0}));
    for (double x : {36526.0, 45292.999988, 61381.13480324074, 1.25, -1.25}) {
        const TDvxDateParts p = DecodeDvxDateTime(x);
        EXPECT_NEAR(*EncodeDvxDateTime(p), x, 1e-8) << x;
    }
    const TDvxDateParts p = DecodeDvxDateTime(36526 + 86399.9996 / 86400); // rounds to the next day
    EXPECT_EQ(p.Day, 2);
    EXPECT_EQ(p.Hour, 0);
}

TEST(DateTime, TextsInBothForms)
{
    const double x = *EncodeDvxDateTime({2024, 3, 5, 7, 8, 9, 0});
    EXPECT_EQ(DvxDateTimeToText(x, de), "05.03.2024 07:08:09");
    EXPECT_EQ(DvxDateTimeToText(x, iso), "2024-03-05 07:08:09");
    EXPECT_EQ(DvxDateTimeToText(0.25, de), "06:00:00");
    TDvxFormatSettings us = iso;
    us.DateOrder = TDateOrder::MDY;
    us.DateSeparator = '/';
    us.TwelveHour = true;
    EXPECT_EQ(DvxDateTimeToText(x + 0.5, us), "03/05/2024 7:08:09 PM");
    EXPECT_DOUBLE_EQ(*DvxTextToDateTime("03/05/2024 7:08:09 PM", us), x + 0.5);
    EXPECT_DOUBLE_EQ(*DvxTextToDateTime("03/05/2024 12:00 am", us), std::trunc(x));
}

TEST(DateTime, Readers)
{
    const double x = *EncodeDvxDateTime({2024, 3, 5, 0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(*DvxTextToDate(" 5.3.2024 ", de), x);
    EXPECT_DOUBLE_EQ(*DvxTextToDate("05.03.24", de), x);
    EXPECT_DOUBLE_EQ(*DvxTextToDate("2024-03-05", iso), x);
    EXPECT_DOUBLE_EQ(*DvxTextToDate("05.03.1970", de), *EncodeDvxDateTime({1970, 3, 5, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(*DvxTextToDate("05.03.70", de), *EncodeDvxDateTime({1970, 3, 5, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(*DvxTextToTime("13:45:10.250", de), (13 * 3600 + 45 * 60 + 10.25) / 86400);
    EXPECT_DOUBLE_EQ(*DvxTextToTime("7", de), 7.0 / 24);
    EXPECT_DOUBLE_EQ(*DvxTextToDateTime("05.03.2024", de), x);
    EXPECT_DOUBLE_EQ(*DvxTextToDateTime("13:00", de), 13.0 / 24);
    // Two numbers: day and month of the current year.
    using namespace std::chrono;
    const int year = static_cast<int>(year_month_day{floor<days>(system_clock::now())}.year());
    EXPECT_FALSE(DvxTextToDate("5.3.", de));
    EXPECT_DOUBLE_EQ(*DvxTextToDate("5.3", de), *EncodeDvxDateTime({year, 3, 5, 0, 0, 0, 0}));
    for (const char* bad :
         {"", "5", "32.01.2024", "1.13.2024", "05.03.2024x", "2024-03-05", "a.b.c", "05.03.12345", "29.02.2023"})
        EXPECT_FALSE(DvxTextToDate(bad, de)) << bad;
    for (const char* bad : {"24:00", "12:60", "12:00:60", "1:2:3:4", "12:", "13:00 PM", "12.5", "-1:00"})
        EXPECT_FALSE(DvxTextToTime(bad, de)) << bad;
    EXPECT_FALSE(DvxTextToDateTime("05.03.2024 25:00", de));
    EXPECT_FALSE(DvxTextToDateTime("2024-03-05 10:00", de));
}

} // namespace
} // namespace vro
