// The diagnostic windows' decoding of logged frames and manual data.
#include "link/dvxv24logtext.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

TEST(LogText, DecodesDataBytesInGroupsOfFour)
{
    const std::uint8_t b[] = {0x41, 0xFF, 0x01, 0x80, 0x05};
    const auto lines = DecodeDataBytes(b, EDecodeWindow::Log);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "  0:  41  A   65");
    EXPECT_EQ(lines[1], "  1:  FF  \xC3\xBF  255    -191");
    EXPECT_EQ(lines[2], " -----------------------");
    EXPECT_EQ(lines[3], "  2:   1       1");
    EXPECT_EQ(lines[4], "  3:  80  \xC2\x80  128  -32767   -2147352767");
    EXPECT_EQ(lines[5], std::string(38, '='));
    EXPECT_EQ(lines[6], "  4:   5       5");
    EXPECT_EQ(DecodeDataBytes(b, EDecodeWindow::Message)[5], std::string(38, '-'));
    EXPECT_EQ(DecodeDataBytes({}, EDecodeWindow::Log), std::vector<std::string>{"no data"});
    EXPECT_EQ(DecodeHeaderLine(), " Adr Hex Ch 8bit   16bit         32bit");
}

TEST(LogText, DecodesLoggedFrameLines)
{
    const std::string line = "   1.234s: Receive  Adr \"S\" Nr 040 :  02 05 53 28 56 52 4F 88 03";
    const auto d = DecodeFrameLogLine(line);
    ASSERT_TRUE(d);
    EXPECT_EQ((*d)[0], "   1.234s: Receive  Adr \"S\" Nr 040 :");
    EXPECT_EQ((*d)[0].size(), 36u);
    ASSERT_EQ(d->size(), 3u + 4u);
    EXPECT_EQ((*d)[3], "  0:  56  V   86");
    // After 9999 s the stamp is wider; positions follow it.
    const auto late = DecodeFrameLogLine("10000.500s: Transmit Adr \"R\" Nr 040 :  02 02 52 28 83 03");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->back(), "no data");
    // Cut-off lines and other lines never read past their end.
    EXPECT_FALSE(DecodeFrameLogLine("   0.001s: Clear all Buffers"));
    EXPECT_FALSE(DecodeFrameLogLine("   0.001s: Receive  Adr \"S"));
    const auto cut = DecodeFrameLogLine("   1.000s: Receive  Adr \"S\" Nr 040 :  02 0");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->back(), "no data");
    const auto unfinished = DecodeFrameLogLine("   1.000s: Receive  Adr \"S\" Nr 023 :  02 F2 53 17 01 02");
    ASSERT_TRUE(unfinished);
    EXPECT_EQ(unfinished->size(), 3u + 2u + 1u);
}

TEST(LogText, ParsesManualData)
{
    EXPECT_EQ(ParseManualData({" 5", "0x1234:2", "", "-1:4"}),
              (std::vector<std::uint8_t>{5, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_THROW(ParseManualData({"5:3"}), std::invalid_argument);
    try {
        ParseManualData({"zz"});
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Ungültige Datenangabe in zz.");
    }
    EXPECT_NO_THROW(ParseManualData(std::vector<std::string>(250, "1")));
    EXPECT_THROW(ParseManualData(std::vector<std::string>(251, "1")), std::invalid_argument);
}

} // namespace
} // namespace vro
