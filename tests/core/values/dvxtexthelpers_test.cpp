#include "core/values/dvxdatautils.h"
#include "values_support.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

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

} // namespace
} // namespace vro
