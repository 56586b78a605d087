#include "core/values/dvxdatautils.h"
#include "core/text/texts.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

class Checks : public ::testing::Test {
protected:
    void SetUp() override { SelectLibraryLanguage("en"); }
};

TEST_F(Checks, FixValueText)
{
    std::string t = "  ";
    EXPECT_EQ(CheckFixValueText(t, 2, 0, 12345), "The entry may not be left empty.");
    t = " 123,46 ";
    EXPECT_EQ(CheckFixValueText(t, 2, 0, 12345), "The value entered is not permitted to be greater than 123.");
    EXPECT_EQ(t, "123,46");
    t = "123.45";
    EXPECT_EQ(CheckFixValueText(t, 2, 0, 12345), "");
    t = "-1";
    EXPECT_EQ(CheckFixValueText(t, 2, -50, 12345), "The value entered is not permitted to be less than 0.");
    t = "1e30";
    EXPECT_EQ(CheckFixValueText(t, 2, 0, 12345), "The value entered is not permitted to be greater than 123.");
    t = "nan";
    EXPECT_EQ(CheckFixValueText(t, 2, 0, 12345), "Your entry includes non-authorized characters.");
}

TEST_F(Checks, DatesTimesAndSpans)
{
    const auto de = TDvxFormatSettings::German();
    const double maxDate = 61381.0 + 11647.0 / 86400; // 19.01.2068 03:14:07
    std::string t = "19.01.2068";
    EXPECT_EQ(CheckDateText(t, 36526, maxDate, de), "");
    t = "20.01.2068";
    EXPECT_EQ(CheckDateText(t, 36526, maxDate, de), "The date entered may not be later than 19.01.2068.");
    t = "31.12.1999";
    EXPECT_EQ(CheckDateText(t, 36526, maxDate, de), "The date entered may not be earlier than 01.01.2000.");
    t = "32.01.2000";
    EXPECT_EQ(CheckDateText(t, 36526, maxDate, de), "You have entered an invalid date.");
    t = "19.01.2068 03:14:07";
    EXPECT_EQ(CheckDateTimeText(t, 36526, maxDate, de), "");
    t = "19.01.2068 03:14:08";
    EXPECT_EQ(CheckDateTimeText(t, 36526, maxDate, de),
              "The date/time entered may not be later than 19.01.2068 03:14:07.");
    t = "12:00"; // a time alone takes the date of the lower limit
    EXPECT_EQ(CheckDateTimeText(t, 36526.6, maxDate, de),
              "The date/time entered may not be earlier than 01.01.2000 14:24:00.");
    t = "12:61";
    EXPECT_EQ(CheckTimeText(t, de), "You have entered an invalid time.");
    t = "24856d";
    EXPECT_EQ(CheckTimeSpanText(t, -2147483647, 2147483647).rfind("You have entered an invalid time difference", 0),
              0u);
    t = "2h";
    EXPECT_EQ(CheckTimeSpanText(t, 0, 3600), "The time difference entered is greater than 1h 00m 00s");
    t = "-1s";
    EXPECT_EQ(CheckTimeSpanText(t, 0, 3600), "The time difference entered is less than 0s");
}

} // namespace
} // namespace vro
