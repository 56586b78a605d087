// Frame building and answer parsing against exact byte strings, the tick
// wrap rule and the byte-time arithmetic.
#include "link/dvxv24connector.h"
#include "link/dvxv24frame.h"
#include "link/dvxv24ticks.h"
#include "link/link_support.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

using dvx::TDvxFrameParser;
using EStep = TDvxFrameParser::EStep;

TEST(Frame, BuildsExactBytes)
{
    struct Case {
        char adr;
        int nr;
        std::vector<std::uint8_t> data;
        const char* hex;
    } cases[] = {
        {'R', 40, {}, "02 02 52 28 83 03"},
        {'R', 23, Bytes({0xF0, 0, 0, 0}), "02 06 52 17 F0 00 00 00 A0 03"},
        {'S', 106, Bytes({1, 0}), "02 04 53 6A 01 00 3D 03"},
        {'a', 0, {}, "02 02 61 00 9C 03"},
        {'*', 7, Bytes({0xFF, 0xFF, 0xFF}), "02 05 2A 07 FF FF FF CC 03"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(dvx::BuildFrame(c.adr, static_cast<std::uint8_t>(c.nr), c.data)), c.hex) << c.adr << c.nr;
}

TEST(Frame, LengthByteBoundsTheData)
{
    std::vector<std::uint8_t> data(253, 0x11);
    const auto f = dvx::BuildFrame('R', 1, data);
    ASSERT_EQ(f.size(), 259u);
    EXPECT_EQ(f[1], 255);
    data.push_back(0);
    EXPECT_THROW(dvx::BuildFrame('R', 1, data), std::length_error);
}

TEST(Frame, AnswerAddressRules)
{
    using dvx::EAnswerAddress;
    EXPECT_EQ(dvx::ClassifyAnswerAddress('R', 'S'), EAnswerAddress::Expected);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('R', 'C'), EAnswerAddress::Wrong);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('R', 'R'), EAnswerAddress::Wrong); // no echo on the recorder link
    EXPECT_EQ(dvx::ClassifyAnswerAddress('S', 'C'), EAnswerAddress::Expected);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('S', 'S'), EAnswerAddress::Wrong);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('a', '*'), EAnswerAddress::Expected);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('a', 'a'), EAnswerAddress::Echo);
    EXPECT_EQ(dvx::ClassifyAnswerAddress('a', 'b'), EAnswerAddress::Wrong);
    EXPECT_EQ(dvx::WrongAddressText('R', 'C'), "Error: No S command type received");
    EXPECT_EQ(dvx::WrongAddressText('S', 'S'), "Error: No C command type received");
    EXPECT_EQ(dvx::WrongAddressText('+', 'b'), "Error. Received Adr b, not allowed.");
}

// Feeds bytes the way the connector does (single bytes, data as one block)
// and returns the final step; `consumed` tells how many bytes were taken.
EStep Parse(TDvxFrameParser& p, const std::vector<std::uint8_t>& bytes, std::size_t& consumed)
{
    consumed = 0;
    while (consumed < bytes.size()) {
        if (p.Step() == EStep::Byte) {
            p.FeedByte(bytes[consumed++]);
        } else if (p.Step() == EStep::Block) {
            const auto n = static_cast<std::size_t>(p.BlockSize());
            if (consumed + n > bytes.size())
                break;
            p.FeedBlock(std::span(bytes).subspan(consumed, n));
            consumed += n;
        } else {
            break;
        }
    }
    return p.Step();
}

TEST(Frame, ParserAcceptsGoodAnswersAndEchoes)
{
    std::size_t used = 0;
    TDvxFrameParser p('R', 40, 240);
    EXPECT_EQ(Parse(p, Bytes({0x02, 0x05, 0x53, 0x28, 1, 2, 3, 0x79, 0x03}), used), EStep::Done);
    EXPECT_EQ(Hex({p.Data().begin(), p.Data().end()}), "01 02 03");

    TDvxFrameParser empty('R', 23, 240);
    EXPECT_EQ(Parse(empty, dvx::BuildFrame('S', 23, {}), used), EStep::Done);
    EXPECT_EQ(empty.DataLength(), 0);

    // The echo's data are skipped byte by byte, its check byte and ETX still tested.
    TDvxFrameParser echo('a', 5, 0);
    EXPECT_EQ(Parse(echo, dvx::BuildFrame('a', 5, Bytes({9, 9, 9, 9, 9})), used), EStep::Echo);
    TDvxFrameParser badEcho('a', 5, 0);
    auto f = dvx::BuildFrame('a', 5, Bytes({9, 9}));
    f[5] ^= 1;
    EXPECT_EQ(Parse(badEcho, f, used), EStep::Failed);
    EXPECT_EQ(badEcho.Error(), "Illegal checksum received");
}

TEST(Frame, ParserFailsWithTheConnectorsTexts)
{
    struct Case {
        char adr;
        int nr;
        int maxLen;
        std::vector<std::uint8_t> bytes;
        const char* error;
        std::size_t consumed;
    } cases[] = {
        {'R', 40, 240, Bytes({0x41}), "Error: No STX Received 65, expected 2.", 1},
        {'R', 40, 240, Bytes({0x02, 0x00}), "Error. Received len 0, less than 2.", 2},
        {'R', 40, 240, Bytes({0x02, 0x01}), "Error. Received len 1, less than 2.", 2},
        {'R', 40, 240, Bytes({0x02, 0x02, 'C'}), "Error: No S command type received", 3},
        {'S', 40, 240, Bytes({0x02, 0x02, 'S'}), "Error: No C command type received", 3},
        {'+', 40, 240, Bytes({0x02, 0x02, 'x'}), "Error. Received Adr x, not allowed.", 3},
        {'R', 40, 240, Bytes({0x02, 0x02, 'S', 41}),
         "Error: Different command number in answer Received 41, expected 40.", 4},
        // Longer than the caller's buffer: refused before any data byte is taken.
        {'R', 40, 3, Bytes({0x02, 0x06, 'S', 40, 1, 2, 3, 4, 0, 3}), "Error. Received len 4, exceeds the maxlen 3.", 4},
        // A wrong check byte is reported before a missing ETX.
        {'R', 40, 240, Bytes({0x02, 0x02, 'S', 40, 0x00, 0x00}), "Illegal checksum received", 5},
        {'R', 40, 240, Bytes({0x02, 0x02, 'S', 40, 0x82, 0x04}), "Error: No ETX Received 4, expected 3.", 6},
    };
    for (const auto& c : cases) {
        TDvxFrameParser p(c.adr, static_cast<std::uint8_t>(c.nr), c.maxLen);
        std::size_t used = 0;
        EXPECT_EQ(Parse(p, c.bytes, used), EStep::Failed) << c.error;
        EXPECT_EQ(p.Error(), c.error);
        EXPECT_EQ(used, c.consumed) << c.error;
    }
}

TEST(Frame, ParserRefusesBlocksOfTheWrongSize)
{
    TDvxFrameParser p('R', 1, 240);
    p.FeedByte(0x02);
    p.FeedByte(12);
    p.FeedByte('S');
    p.FeedByte(1);
    ASSERT_EQ(p.Step(), EStep::Block);
    EXPECT_EQ(p.BlockSize(), 10);
    const std::vector<std::uint8_t> five(5);
    EXPECT_EQ(p.FeedBlock(five), EStep::Failed);
}

TEST(Ticks, DeadlineWrapRule)
{
    EXPECT_FALSE(DeadlinePassedAt(0x00000100, 0xFFFFFF00)); // deadline beyond the wrap
    EXPECT_TRUE(DeadlinePassedAt(0x00000100, 0x00000101));
    EXPECT_FALSE(DeadlinePassedAt(0x00000100, 0x00000100));
    // A deadline just before the wrap, passed only after the counter wrapped:
    // the old rule ("deadline < now") would wait about 49.7 days here.
    EXPECT_FALSE(DeadlinePassedAt(0xFFFFFFF0, 0xFFFFFFE0));
    EXPECT_TRUE(DeadlinePassedAt(0xFFFFFFF0, 0x0000000C));
    EXPECT_TRUE(DeadlinePassedAt(0x10000000, 0x10000001));
    EXPECT_EQ(RemainingMs(Deadline(0)), 0u);
    EXPECT_GE(RemainingMs(Deadline(100000)), 99000u);
}

TEST(Ticks, ByteTimes)
{
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(10, 460800), 0u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(300, 460800), 6u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(1000, 460800), 21u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(10, 9600), 10u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(300, 9600), 312u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(1000, 9600), 1041u);
    EXPECT_EQ(TDvxV24Connector::ByteTimesMs(1000, 0), 0u);
}

TEST(Progress, PerMilleIsExactForLargeAreas)
{
    EXPECT_EQ(TDvxV24Connector::PerMille(240, 1000), 240);
    EXPECT_EQ(TDvxV24Connector::PerMille(1, 2000), 0); // 0.5 -> even 0
    EXPECT_EQ(TDvxV24Connector::PerMille(3, 2000), 2); // 1.5 -> even 2
    EXPECT_EQ(TDvxV24Connector::PerMille(5, 2000), 2); // 2.5 -> even 2
    // 400 MB downloads: Done x 1000 is far beyond 32 bits.
    EXPECT_EQ(TDvxV24Connector::PerMille(200'000'000, 400'000'000), 500);
    EXPECT_EQ(TDvxV24Connector::PerMille(2'147'483'647, 2'147'483'647), 1000);
}

} // namespace
} // namespace vro::test
