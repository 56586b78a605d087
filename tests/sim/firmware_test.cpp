// The simulated recorder's firmware store on its own, with explicit clocks:
// erase, completeness, activation, power loss and the flash faults.
#include "sim/recorderfirmware.h"

#include <gtest/gtest.h>

using namespace vro::sim;
using namespace std::chrono_literals;

namespace {

using TClock = TSimFirmware::TClock;

std::vector<std::uint8_t> Packet(std::uint32_t offset, std::size_t n, std::uint8_t value)
{
    std::vector<std::uint8_t> p{static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8),
                                static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 24)};
    p.resize(4 + n, value);
    return p;
}

// Writes the whole area in 240-byte packets; false when a packet went unanswered.
bool WriteArea(TSimFirmware& f, int area, std::uint8_t value, TClock::time_point now)
{
    const std::size_t size = area == 0 ? TSimFirmware::kArea0Bytes : TSimFirmware::kArea1Bytes;
    for (std::size_t off = 0; off < size; off += 240) {
        const auto a =
            f.Write(area, Packet(static_cast<std::uint32_t>(off), std::min<std::size_t>(240, size - off), value), now);
        if (a.Silent)
            return false;
        EXPECT_EQ(a.Status, 0);
    }
    return true;
}

std::string Version(const TSimFirmware& f, int area)
{
    const auto v = f.VersionAnswer(area);
    EXPECT_EQ(v.size(), 14u);
    return std::string(v.begin(), std::find(v.begin(), v.end(), 0));
}

} // namespace

TEST(SimFirmware, FactoryFirmwareAndErase)
{
    TSimFirmware f;
    EXPECT_EQ(Version(f, 0), "VRO8K-S 1.07");
    EXPECT_EQ(Version(f, 1), "VRO8K-M 2.10");
    EXPECT_EQ(f.Stored(0)[0x79C0], 'V');
    EXPECT_EQ(f.Stored(0)[0], 0xFF);
    EXPECT_FALSE(f.IdentText());

    TSimFirmwareConfig c;
    c.EraseTime = {100ms, 5000ms};
    f.Configure(c);
    const auto now = TClock::now();
    // A packet elsewhere stores; the one at offset 0 erases the area first.
    EXPECT_EQ(f.Write(1, Packet(0x3BF00, 4, 0x41), now).Delay, 0ms);
    EXPECT_EQ(f.Write(1, Packet(0, 2, 7), now).Delay, 5000ms);
    EXPECT_EQ(f.Stored(1)[0], 7);
    EXPECT_EQ(f.Stored(1)[0x3BF00], 0xFF);
    EXPECT_EQ(f.Write(0, Packet(0, 1, 1), now).Delay, 100ms);
    EXPECT_EQ(f.Write(0, Packet(0x7A00 - 1, 2, 1), now).Status, 2); // beyond the area
    EXPECT_EQ(f.Write(0, std::vector<std::uint8_t>{1, 2}, now).Status, 1);
    // The running firmware is still the factory one.
    EXPECT_EQ(Version(f, 1), "VRO8K-M 2.10");
    EXPECT_EQ(f.Summary(), "firmware: area 0 1 packets, area 1 2 packets, 0 activations");
}

TEST(SimFirmware, ActivationAfterACompleteWriteAndFullReadBack)
{
    TSimFirmwareConfig c;
    c.ActivateTime = 2000ms;
    TSimFirmware f;
    f.Configure(c);
    const auto t0 = TClock::now();
    ASSERT_TRUE(WriteArea(f, 0, 0x30, t0));
    // Only area 0 complete: the end of an area-1 read-back activates nothing.
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t0);
    EXPECT_FALSE(f.Asleep(t0));
    ASSERT_TRUE(WriteArea(f, 1, 0x31, t0));
    f.ReadAnswered(1, 0x1000, 0, t0); // a read that stopped early
    f.ReadAnswered(0, 0x7A00, 0, t0); // area 0's end
    EXPECT_FALSE(f.Asleep(t0));
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t0);
    EXPECT_TRUE(f.Asleep(t0 + 1999ms));
    EXPECT_FALSE(f.TakeActivation(t0 + 1999ms));
    EXPECT_TRUE(f.TakeActivation(t0 + 2000ms));
    EXPECT_FALSE(f.TakeActivation(t0 + 3000ms));    // once
    EXPECT_EQ(Version(f, 0), std::string(14, '0')); // no "VRO8K-S " at 0x79C0: the text at 0x7980
    EXPECT_EQ(Version(f, 1), std::string(14, '1'));
    EXPECT_EQ(f.IdentText(), std::string(14, '1'));
    // A second read-back does not activate again.
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t0 + 3000ms);
    EXPECT_FALSE(f.Asleep(t0 + 3000ms));
    EXPECT_EQ(f.Activations(), 1);
}

TEST(SimFirmware, BadCellAndOwnBytesAndPowerLoss)
{
    TSimFirmwareConfig c;
    c.BadByte = std::make_pair(0, std::size_t{100});
    c.OwnBytes = true;
    c.PowerLoss = TSimFirmwareConfig::TPowerLoss{1, 100, 3000ms};
    c.ActivateTime = 0ms;
    TSimFirmware f;
    f.Configure(c);
    const auto t0 = TClock::now();
    ASSERT_TRUE(WriteArea(f, 0, 0x22, t0));
    EXPECT_EQ(f.Stored(0)[100], 0x23);
    EXPECT_EQ(f.Stored(0)[101], 0x22);
    std::vector<std::uint8_t> piece(f.Stored(1).begin(), f.Stored(1).begin() + 240);
    f.PatchReadPiece(1, 0, piece);
    EXPECT_EQ(piece[19], f.Stored(1)[19]);
    EXPECT_NE(piece[20], f.Stored(1)[20]);
    EXPECT_NE(piece[23], f.Stored(1)[23]);
    EXPECT_EQ(piece[24], f.Stored(1)[24]);

    // Area 1 loses power after 100 packets: silent for 3 s, then the old
    // firmware runs, the area keeps what was stored and the rest is erased.
    EXPECT_FALSE(WriteArea(f, 1, 0x44, t0));
    EXPECT_EQ(f.Packets(1), 100);
    EXPECT_TRUE(f.Asleep(t0 + 2999ms));
    EXPECT_FALSE(f.Asleep(t0 + 3000ms));
    EXPECT_EQ(f.Stored(1)[100 * 240 - 1], 0x44);
    EXPECT_EQ(f.Stored(1)[100 * 240], 0xFF);
    EXPECT_EQ(Version(f, 1), "VRO8K-M 2.10");
    // Only once per run; the bad cell keeps the areas from being activated.
    const auto t1 = t0 + 4000ms;
    ASSERT_TRUE(WriteArea(f, 0, 0x22, t1));
    ASSERT_TRUE(WriteArea(f, 1, 0x44, t1));
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t1);
    EXPECT_FALSE(f.TakeActivation(t1));
    EXPECT_EQ(f.Activations(), 0);
}

TEST(SimFirmware, ACellThatFailsOnlyItsFirstWritesProgramsRightLater)
{
    TSimFirmwareConfig c;
    c.BadByte = std::make_pair(1, std::size_t{1000});
    c.BadByteWrites = 1;
    c.ActivateTime = 0ms;
    TSimFirmware f;
    f.Configure(c);
    const auto t0 = TClock::now();
    ASSERT_TRUE(WriteArea(f, 0, 0x22, t0));
    ASSERT_TRUE(WriteArea(f, 1, 0x44, t0));
    EXPECT_EQ(f.Stored(1)[1000], 0x45);
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t0);
    EXPECT_FALSE(f.TakeActivation(t0));
    // The second write of area 1 stores the cell as received; area 0 is
    // still complete from before, so the full read-back activates.
    ASSERT_TRUE(WriteArea(f, 1, 0x44, t0));
    EXPECT_EQ(f.Stored(1)[1000], 0x44);
    f.ReadAnswered(1, TSimFirmware::kArea1Bytes, 0, t0);
    EXPECT_TRUE(f.TakeActivation(t0));
    EXPECT_EQ(f.Activations(), 1);
}

TEST(SimFirmware, OptionForms)
{
    EXPECT_EQ(ParseEraseTimes("0,5000")[1], 5000ms);
    EXPECT_EQ(ParseBadByte("1:253951").Cell, std::make_pair(1, std::size_t{253951}));
    EXPECT_EQ(ParseBadByte("1:253951").Writes, 0);
    EXPECT_EQ(ParseBadByte("0:100:2").Writes, 2);
    const auto p = ParsePowerLoss("1:100");
    EXPECT_EQ(p.Area, 1);
    EXPECT_EQ(p.Packets, 100);
    EXPECT_EQ(p.Off, 3000ms);
    EXPECT_EQ(ParsePowerLoss("0:5:20").Off, 20ms);
    for (const char* bad : {"", "1", "1,2,3", "x,1"})
        EXPECT_THROW(ParseEraseTimes(bad), std::invalid_argument) << bad;
    for (const char* bad : {"2:1", "0:31232", "0", "0:-1", "0:1:0", "0:1:2:3"})
        EXPECT_THROW(ParseBadByte(bad), std::invalid_argument) << bad;
    for (const char* bad : {"1", "1:2:3:4", "3:1", "1:x"})
        EXPECT_THROW(ParsePowerLoss(bad), std::invalid_argument) << bad;
}
