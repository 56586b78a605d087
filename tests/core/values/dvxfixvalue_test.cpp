#include "core/values/dvxdatautils.h"
#include "values_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vro {
namespace {

TEST(FixValue, SymmetricSignedRangeAndEvenRounding)
{
    EXPECT_EQ(ConvertFloatToDvxFixValue(1, 2, true, -3276.7), -32767);
    EXPECT_EQ(MessageOf([] { ConvertFloatToDvxFixValue(1, 2, true, -3276.8); }),
              "ConvertFloatToDvxFixValue: -32768 is less then -32767");
    EXPECT_EQ(ConvertFloatToDvxFixValue(0, 1, false, 254.5), 254);
    EXPECT_EQ(MessageOf([] { ConvertFloatToDvxFixValue(0, 1, false, 255.5); }),
              "ConvertFloatToDvxFixValue: 256 is greater then 255");
    EXPECT_THROW(ConvertFloatToDvxFixValue(0, 1, false, -0.6), EDvxValueError);
    EXPECT_EQ(MessageOf([] { ConvertFloatToDvxFixValue(9, 4, true, 1); }),
              "ConvertFloatToDvxFixValue: 9 are too much Decimals");
}

TEST(FixValue, EightByteWidthAndNonFiniteValues)
{
    // 256^8 does not fit 64 bits: the limits are the int64 range.
    EXPECT_EQ(ConvertFloatToDvxFixValue(0, 8, true, -9.0e18), -9000000000000000000LL);
    EXPECT_EQ(ConvertFloatToDvxFixValue(0, 8, false, 4.0e18), 4000000000000000000LL);
    EXPECT_THROW(ConvertFloatToDvxFixValue(0, 8, true, 9.3e18), EDvxValueError);
    EXPECT_THROW(ConvertFloatToDvxFixValue(0, 8, true, -9.3e18), EDvxValueError);
    EXPECT_THROW(ConvertFloatToDvxFixValue(0, 8, false, -1), EDvxValueError);
    EXPECT_EQ(ConvertFloatToDvxFixValue(0, 4, false, 4294967295.0), 4294967295LL);
    EXPECT_NE(MessageOf([] { ConvertFloatToDvxFixValue(2, 4, true, std::nan("")); }).find("NAN is greater then"),
              std::string::npos);
    EXPECT_NE(MessageOf([] { ConvertFloatToDvxFixValue(2, 4, true, -INFINITY); }).find("is less then"),
              std::string::npos);
}

TEST(FixValue, ToFloatAndText)
{
    const auto iso = TDvxFormatSettings::Iso();
    EXPECT_DOUBLE_EQ(ConvertDvxFixValueToFloat(2, 12345), 123.45);
    EXPECT_EQ(MessageOf([] { ConvertDvxFixValueToFloat(9, 1); }), "Error: Too much Decimals");
    EXPECT_EQ(ConvertDvxFixValueToStr(2, true, 12300, iso), "123.00");
    EXPECT_EQ(ConvertDvxFixValueToStr(3, true, -5, iso), "-0.005");
    EXPECT_EQ(ConvertDvxFixValueToStr(2, true, -12345, TDvxFormatSettings::German()), "-123,45");
    EXPECT_EQ(ConvertDvxFixValueToStr(2, false, 12300, iso), "123");
    EXPECT_EQ(ConvertDvxFixValueToStr(8, false, 1, iso), "1E-8");
    // 12 significant digits, the rest zero-filled.
    EXPECT_EQ(ConvertDvxFixValueToStr(8, true, 123456789012345678LL, iso), "1234567890.12000000");
    EXPECT_EQ(ConvertDvxFixValueToStr(8, true, 123456789012500001LL, iso), "1234567890.13000000");
    EXPECT_EQ(ConvertDvxFixValueToStr(0, true, 9999999999995LL, iso), "1E13");
    EXPECT_EQ(ConvertStrToDvxValue("1,5", 1, 2, true), 15);
    EXPECT_EQ(MessageOf([] { ConvertStrToDvxValue("x1", 1, 2, true); }),
              "ConvertStrToDvxValue: \"x1\" is no valid Number!");
}

} // namespace
} // namespace vro
