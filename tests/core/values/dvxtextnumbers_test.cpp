#include "core/values/dvxdatautils.h"
#include "values_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace vro {
namespace {

TEST(Numbers, IntegerNotations)
{
    EXPECT_EQ(StrToIntEx(" 1 0 "), 10);
    EXPECT_EQ(StrToIntEx("0x1F"), 31);
    EXPECT_EQ(StrToIntEx("$1f"), 31);
    EXPECT_EQ(StrToIntEx("1Fh"), 31);
    EXPECT_EQ(StrToIntEx("101b"), 5);
    EXPECT_EQ(StrToIntEx("12d"), 12);
    EXPECT_EQ(StrToIntEx("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(StrToIntEx("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToIntEx(std::string(32, '1') + "b"), -1);
    EXPECT_EQ(MessageOf([] { StrToIntEx("10a"); }), "10a is an illegal Integer Value");
    EXPECT_EQ(MessageOf([] { StrToIntEx(""); }), "No characters to convert");
    EXPECT_EQ(MessageOf([] { StrToIntEx("b"); }), "b is an illegal Integer Value");
    EXPECT_EQ(MessageOf([] { StrToIntEx("102b"); }), "2 is an illegal binary character");
    EXPECT_THROW(StrToIntEx(std::string(33, '1') + "b"), EConvertError);
    EXPECT_THROW(StrToIntEx("2147483648"), EConvertError);
    EXPECT_THROW(StrToIntEx("$123456789"), EConvertError);
    EXPECT_EQ(StrToIntExDef("zz", 7), 7);
    EXPECT_EQ(StrToInt64Ex("0x7fffffffffffffff"), std::numeric_limits<std::int64_t>::max());
    EXPECT_THROW(StrToInt64Ex("1 0"), EConvertError);
    EXPECT_THROW(StrToInt64Ex("101b"), EConvertError);
}

TEST(Numbers, FloatReaderIsStrict)
{
    EXPECT_DOUBLE_EQ(StrToFloatEx("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatEx("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloatEx("-.5E2"), -50);
    EXPECT_DOUBLE_EQ(StrToFloatEx("1Fh"), 31);
    EXPECT_DOUBLE_EQ(StrToFloatEx("110b"), 6);
    for (const char* bad :
         {"nan", "inf", "-infinity", "0x1p3", "1.5x", "1,234.5", "1e", "e5", ".", "b", "1e999", "1.5 2"})
        EXPECT_THROW(StrToFloatEx(bad), EConvertError) << bad;
    EXPECT_DOUBLE_EQ(StrToFloatExDef("nan", 2.5), 2.5);
}

TEST(Numbers, HexCharsAndBits)
{
    EXPECT_EQ(HexCharToInt('F'), 15);
    EXPECT_EQ(MessageOf([] { HexCharToInt('g'); }), "HexCharToInt: g ist no valid Hexchar");
    EXPECT_EQ(IntToHexChar(11), 'b');
    EXPECT_EQ(MessageOf([] { IntToHexChar(16); }), "IntToHexChar: 16 out of Range 0..15");
    EXPECT_EQ(SetBit(0, 31, true), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(SetBit(-1, 0, false), -2);
    EXPECT_TRUE(GetBit(8, 3));
    EXPECT_THROW(SetBit(0, 32, true), EDvxValueError);
    EXPECT_THROW(GetBit(0, -1), EDvxValueError);
}

} // namespace
} // namespace vro
