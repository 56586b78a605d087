#include "core/values/dvxdatautils.h"
#include "values_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vro {
namespace {

TEST(Dates, DatePartTimePartAndOverflow)
{
    EXPECT_EQ(MessageOf([] { ConvertFloatToDvxDate(36525.5); }), "ConvertFloatToDvxDate: Date < 01.01.2000");
    EXPECT_EQ(ConvertFloatToDvxDate(0.75), 0);
    EXPECT_EQ(ConvertFloatToDvxDate(36527.9), 86400);
    EXPECT_THROW(ConvertFloatToDvxDate(-3.5), EDvxValueError);
    EXPECT_THROW(ConvertFloatToDvxDate(std::nan("")), EDvxValueError);
    EXPECT_EQ(ConvertDateTimeToDvxDateTime(36526 + 86399.6 / 86400), 86400);
    EXPECT_EQ(ConvertTimeToDvxTime(36526.25), 21600);
    // The last day that fits: the date part alone is fine, date plus noon is not.
    EXPECT_EQ(ConvertFloatToDvxDate(61381.5), 2147472000);
    EXPECT_EQ(MessageOf([] { ConvertDateTimeToDvxDateTime(61381.5); }), "ConvertFloatToDvxDate: Date to big");
    EXPECT_EQ(ConvertDateTimeToDvxDateTime(61381.0 + 11647.0 / 86400), 2147483647);
    EXPECT_THROW(ConvertFloatToDvxDate(61382.0), EDvxValueError);
    EXPECT_THROW(ConvertFloatToDvxDate(1e300), EDvxValueError);
    EXPECT_DOUBLE_EQ(ConvertDvxDateToDateTime(43200), 36526.5);
    EXPECT_EQ(DvxTimeOfDay(90061), 3661u);
    EXPECT_EQ(DvxDatePart(90061), 86400u);
}

TEST(Dates, TextReadersUseTheGivenSettings)
{
    const auto de = TDvxFormatSettings::German();
    const auto iso = TDvxFormatSettings::Iso();
    EXPECT_EQ(ConvertStrToDvxDateTime(" 02.01.2000 00:00:10 ", de), 86410);
    EXPECT_EQ(ConvertStrToDvxDateTime("2000-01-02 00:00:10", iso), 86410);
    EXPECT_EQ(ConvertStrToDvxDateTime("2000-01-02T00:00:10", iso), 86410);
    EXPECT_EQ(ConvertStrToDvxTime("1:02:03", de), 3723);
    EXPECT_EQ(MessageOf([&] { ConvertStrToDvxTime("25:00", de); }), "ConvertStrToDvxTime: \"25:00\" is no valid Time!");
    EXPECT_EQ(MessageOf([&] { ConvertStrToDvxDateTime("31.02.2001 10:00", de); }),
              "ConvertStrToDvxDateTime: \"31.02.2001 10:00\" is no valid Date Time!");
}

} // namespace
} // namespace vro
