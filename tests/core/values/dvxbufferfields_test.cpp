#include "core/values/dvxdatautils.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

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

} // namespace
} // namespace vro
