#include "core/values/dvxdatautils.h"
#include "values_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace vro {
namespace {

TEST(TimeSpans, TextForms)
{
    EXPECT_EQ(DvxTimeSpanToStr(90061), "1d 01h 01m 01s");
    EXPECT_EQ(DvxTimeSpanToStr(3600), "1h 00m 00s");
    EXPECT_EQ(DvxTimeSpanToStr(61), "1m 01s");
    EXPECT_EQ(DvxTimeSpanToStr(5), "5s");
    EXPECT_EQ(DvxTimeSpanToStr(0), "0s");
    EXPECT_EQ(DvxTimeSpanToStr(-61), "-1m 01s");
    EXPECT_EQ(DvxTimeSpanToStr(std::numeric_limits<std::int32_t>::min()), "-24855d 03h 14m 08s");

    EXPECT_EQ(ConvertStrToDvxTimeSpan("-1h 30m"), -5400);
    EXPECT_EQ(ConvertStrToDvxTimeSpan("3D 12m"), 3 * 86400 + 720);
    EXPECT_EQ(ConvertStrToDvxTimeSpan("4h"), 14400);
    EXPECT_EQ(ConvertStrToDvxTimeSpan(DvxTimeSpanToStr(-123456789)), -123456789);
    EXPECT_EQ(MessageOf([] { ConvertStrToDvxTimeSpan("1h -30m"); }), "Illegal Character");
    EXPECT_EQ(MessageOf([] { ConvertStrToDvxTimeSpan("5s x"); }), "Illegal Character");
    EXPECT_THROW(ConvertStrToDvxTimeSpan("12s 3m"), EConvertError);
    // Beyond 32 bits: refused, never wrapped.
    EXPECT_THROW(ConvertStrToDvxTimeSpan("24856d"), EDvxValueError);
    EXPECT_EQ(ConvertStrToDvxTimeSpan("-24855d 3h 14m 7s"), -2147483647);
}

} // namespace
} // namespace vro
