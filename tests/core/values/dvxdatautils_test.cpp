#include "core/values/dvxdatautils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/text/texts.h"

namespace vro {
namespace {

std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

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

TEST(BufferFields, BoundsAndPositions)
{
    std::vector<std::uint8_t> buf(12, 0xEE);
    PutBufferString("AB", 4, buf, 2);
    EXPECT_EQ(DvxBufferPositions().Write, 6u);
    PutHexWord(0xBEEF, buf, DvxBufferPositions().Last);
    EXPECT_EQ(std::string(buf.begin() + 6, buf.begin() + 10), "beef");
    EXPECT_EQ(GetHexWord(buf, 6), 0xBEEF);
    EXPECT_EQ(DvxBufferPositions().Read, 10u);
    EXPECT_EQ(GetBufferString(4, buf, 2), "AB");
    EXPECT_THROW(GetHexLong(buf, 6), EBufferRange); // 8 characters from 6 pass the end
    EXPECT_THROW(PutBufferString("x", 5, buf, 8), EBufferRange);
    EXPECT_THROW(GetBufferByte(buf, 12), EBufferRange);
    EXPECT_THROW(GetBufferString(1, buf, SIZE_MAX), EBufferRange);
    std::uint8_t out[3];
    EXPECT_THROW(GetBufferBytes(out, buf, 10), EBufferRange);
    EXPECT_THROW(GetHexByte(buf, 0), EDvxValueError); // 0xEE is no hex character

    const std::uint8_t field[8] = {'A', 'B', 0, 'C', 'D', 0, 0, 0};
    EXPECT_EQ(GetBufferString(8, field, 0), "AB");
    // ISO-8859-1 on the wire, UTF-8 inside.
    std::vector<std::uint8_t> f2(3);
    PutBufferString("\xC3\xA4x", 3, f2, 0);
    EXPECT_EQ(f2, (std::vector<std::uint8_t>{0xE4, 'x', 0}));
    EXPECT_EQ(GetBufferString(3, f2, 0), "\xC3\xA4x");
}

TEST(TextHelpers, TokensSortBitGroupsComSettings)
{
    EXPECT_EQ(GetToken(";", "a;;b", 1), "");
    EXPECT_EQ(GetToken(";", "a;;b", 2), "b");
    EXPECT_EQ(GetToken(";", "a", 3), "");
    EXPECT_EQ(GetToken(";,", " x , y ;z", 1), "y");
    EXPECT_EQ(CountTokens(";", "a;;b"), 3);

    std::vector<std::string> list{"b1", "a1", "b2", "a2"};
    SortStrings(list, [](const std::string& a, const std::string& b) { return a[0] < b[0]; });
    EXPECT_EQ(list, (std::vector<std::string>{"a1", "a2", "b1", "b2"}));

    EXPECT_EQ(FormatBitGroups(0x18005, 0), "5");
    // 8 bits with a group end marked at bit 4: 1011 | 0110.
    EXPECT_EQ(FormatBitGroups(0xB6, (8 << 16) | (1 << 4)), "11 - 06");
    EXPECT_EQ(FormatBitGroups(0xB6, 8 << 16), "182");

    int port = -1, baud = -1;
    ParseComSettings("COM12: 57600 BAUD", port, baud);
    EXPECT_EQ(port, 11);
    EXPECT_EQ(baud, 57600);
    ParseComSettings(" com3: 460800 baud", port, baud);
    EXPECT_EQ(port, 2);
    EXPECT_EQ(baud, 460800);
    EXPECT_EQ(MessageOf([&] { ParseComSettings("COM3", port, baud); }), "Illegal COM-Settings: \"COM3\"");
    EXPECT_THROW(ParseComSettings("COM0: 9600 BAUD", port, baud), EDvxValueError);
}

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
