// Setup blocks through bytes: the recorder's arrangements per layout, the
// conversions, sizes and the signal-type codes.
#include "device/setup/setup_support.h"
#include "device/setup/vro8setupblocks.h"

#include "core/util/bytes.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

class BlocksByLayout : public ::testing::TestWithParam<int> {};

TEST_P(BlocksByLayout, EveryBlockRoundTripsThroughTheRecordersBytes)
{
    const int v = GetParam();
    TVro8SetupData a;
    FillSetup(a, v, 3);
    TVro8SetupData b;
    const auto sensors = a.Sensors.Encode(v);
    const auto triggers = a.Triggers.Encode(v);
    EXPECT_EQ(sensors.size(), v == 5 ? 300u : 720u);
    EXPECT_EQ(triggers.size(), v == 5 ? 68u : 132u);
    b.Sensors.Decode(v, sensors);
    b.Triggers.Decode(v, triggers);
    b.Recording.Decode(a.Recording.Encode());
    b.Base.Decode(a.Base.Encode());
    b.Display.Decode(a.Display.Encode());
    b.Can.Decode(a.Can.Encode());
    for (int i = 0; i < Vro8SensorCount(v); ++i) {
        const auto x = a.Sensors.Sensor(i), y = b.Sensors.Sensor(i);
        EXPECT_EQ(
            std::vector<std::uint8_t>(a.Sensors.Bytes().begin() + i * 60, a.Sensors.Bytes().begin() + i * 60 + 60),
            std::vector<std::uint8_t>(b.Sensors.Bytes().begin() + i * 60, b.Sensors.Bytes().begin() + i * 60 + 60))
            << "record " << i;
        EXPECT_EQ(y.Name(), x.Name());
    }
    for (int e = 0; e < Vro8TriggerEventCount(v); ++e)
        EXPECT_EQ(b.Triggers.Event(e).Value(), a.Triggers.Event(e).Value());
    EXPECT_EQ(b.Triggers.Combination(), a.Triggers.Combination());
    if (v != 5) {
        EXPECT_TRUE(a.Sensors == b.Sensors);
        EXPECT_TRUE(a.Triggers == b.Triggers);
    }
    EXPECT_TRUE(a.Recording == b.Recording);
    EXPECT_TRUE(a.Base == b.Base && a.Display == b.Display && a.Can == b.Can);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, BlocksByLayout, ::testing::Values(1, 2, 3, 4, 5));

TEST(SensorBlock, Layout1ArrangementWithZeroSpareWordsAndNoSubChannelMask)
{
    TVro8SensorSetup s;
    auto r = s.Sensor(2);
    r.SetFactor(0x11223344);
    r.SetSubChannelMask(0x7777);
    r.SetActiveState(true);
    r.SetMode(1);
    r.SetSignal(3);
    r.SetLoRange(-5);
    r.SetHiRange(250);
    r.SetDecimals(2);
    r.SetName("P1");
    r.SetMUnit("bar");
    const auto b = s.Encode(1);
    ASSERT_EQ(b.size(), 720u);
    const std::span<const std::uint8_t> rec(b.data() + 120, 60);
    EXPECT_EQ(GetU32(rec, 0), 0x11223344u);
    EXPECT_EQ(GetU16(rec, 4), 1);
    EXPECT_EQ(GetU16(rec, 6), 1);
    EXPECT_EQ(GetU16(rec, 8), 3);
    EXPECT_EQ(GetU16(rec, 10), 0); // spare
    EXPECT_EQ(GetI16(rec, 12), -5);
    EXPECT_EQ(GetI16(rec, 14), 250);
    EXPECT_EQ(GetU16(rec, 16), 2);
    EXPECT_EQ(GetU16(rec, 18), 0); // spare
    EXPECT_EQ(rec[20], 'P');
    EXPECT_EQ(rec[52], 'b');

    TVro8SensorSetup back;
    back.Decode(1, b);
    EXPECT_EQ(back.Sensor(2).SubChannelMask(), 0);
    EXPECT_EQ(back.Sensor(2).Signal(), 3);
    EXPECT_EQ(back.Sensor(2).HiRange(), 250);
    EXPECT_EQ(back.Sensor(2).MUnit(), "bar");
}

TEST(SensorBlock, Layout5TransfersFiveRecordsAndKeepsTheOtherSeven)
{
    TVro8SensorSetup s;
    for (int i = 0; i < 12; ++i)
        s.Sensor(i).SetName("R" + std::to_string(i));
    std::vector<std::uint8_t> fromRecorder = s.Encode(5);
    ASSERT_EQ(fromRecorder.size(), 300u);
    fromRecorder[20] = 'X'; // record 0's name
    s.Decode(5, fromRecorder);
    EXPECT_EQ(s.Sensor(0).Name(), "X0");
    EXPECT_EQ(s.Sensor(4).Name(), "R4");
    EXPECT_EQ(s.Sensor(11).Name(), "R11");
}

TEST(SensorBlock, WrongSizeRaisesAndLeavesTheBlock)
{
    TVro8SensorSetup s;
    s.Sensor(0).SetName("kept");
    const auto before = s.Bytes();
    EXPECT_THROW(s.Decode(3, std::vector<std::uint8_t>(700)), EVro8SetupBlock);
    EXPECT_THROW(s.Decode(5, std::vector<std::uint8_t>(720)), EVro8SetupBlock);
    EXPECT_THROW(s.Decode(6, std::vector<std::uint8_t>(720)), EVro8SetupBlock);
    EXPECT_EQ(s.Bytes(), before);
    TVro8CanSetup c;
    EXPECT_THROW(c.Decode(std::vector<std::uint8_t>(2179)), EVro8SetupBlock);
    EXPECT_THROW(s.Sensor(12), EVro8SetupBlock);
    EXPECT_THROW(c.Message(32), EVro8SetupBlock);
}

TEST(SensorBlock, ModeZeroIsNotedAtEveryRead)
{
    TVro8SensorSetup s;
    s.Sensor(1).SetMode(1);
    s.Decode(2, s.Encode(2));
    EXPECT_TRUE(s.ModeWasZero(0));
    EXPECT_FALSE(s.ModeWasZero(1));
    EXPECT_FALSE(s.ModeWasZero(12));
}

TEST(SmartFlags, ChangedFlagFollowsFreshReadings)
{
    TVro8SensorSetup s;
    const std::vector<std::uint8_t> a{0, 1, 0, 0};
    s.TakeSmartFlags(3, a);
    EXPECT_TRUE(s.SmartFlagsChanged());
    s.ClearSmartFlagsChanged();
    s.TakeSmartFlags(3, a);
    EXPECT_FALSE(s.SmartFlagsChanged()); // same answer: stays as it was
    EXPECT_EQ(s.SmartFlag(1), 1);
    EXPECT_EQ(s.SmartFlag(4), 0);
    s.TakeSmartFlags(5, std::vector<std::uint8_t>{0, 0, 1});
    EXPECT_TRUE(s.SmartFlagsChanged());
    EXPECT_EQ(s.SmartFlag(1), 0);
    EXPECT_EQ(s.SmartFlag(2), 1);
    s.TakeSmartFlags(1, {});
    EXPECT_FALSE(s.SmartFlagsChanged());
    EXPECT_EQ(s.SmartFlag(2), 0);
}

TEST(TriggerBlock, Layout5SendsTwoEventsAndTheCombination)
{
    TVro8TriggerSetup t;
    for (int e = 0; e < 4; ++e)
        t.Event(e).SetValue(static_cast<std::int16_t>(100 + e));
    t.SetCombination(3);
    const auto b = t.Encode(5);
    ASSERT_EQ(b.size(), 68u);
    EXPECT_EQ(GetI16(b, 18), 100);
    EXPECT_EQ(GetI16(b, 32 + 18), 101);
    EXPECT_EQ(GetU32(b, 64), 3u);
    std::vector<std::uint8_t> in = b;
    PutLE<std::uint32_t>(in, 64, 4);
    PutLE<std::int16_t>(in, 18, -7);
    t.Decode(5, in);
    EXPECT_EQ(t.Combination(), 4u);
    EXPECT_EQ(t.Event(0).Value(), -7);
    EXPECT_EQ(t.Event(2).Value(), 102); // events 3 and 4 keep their contents
}

TEST(TriggerBlock, Layout1SendsSubChannelsAsZero)
{
    TVro8TriggerSetup t;
    for (int e = 0; e < 4; ++e)
        t.Event(e).SetSubChannel(static_cast<std::uint8_t>(e + 5));
    const auto b = t.Encode(1);
    for (int e = 0; e < 4; ++e)
        EXPECT_EQ(b[static_cast<std::size_t>(e) * 32 + 17], 0);
    EXPECT_EQ(t.Encode(2)[17], 5);
    EXPECT_EQ(t.Event(0).SubChannel(), 5); // the model keeps them
}

TEST(Fields, CharacterFieldsAreCutAndPaddedAndTheRecordingNameTrimmed)
{
    TVro8RecordingSetup r;
    r.SetRecordingName("   " + std::string(40, 'n') + "  ");
    EXPECT_EQ(r.RecordingName(), std::string(32, 'n'));
    r.SetRecordingName(std::string(31, 'n') + "\x01\x80 x"); // cut after the control character
    EXPECT_EQ(r.RecordingName(), std::string(31, 'n'));
    r.SetRecordingName("  short  ");
    EXPECT_EQ(r.RecordingName(), "short");
    EXPECT_EQ(r.Bytes()[14 + 5], 0);
    TVro8CanSetup c;
    c.Message(0).SetUnit("12345678");
    EXPECT_EQ(c.Message(0).Unit(), "1234567");
    EXPECT_EQ(c.Bytes()[67], 0); // the spare byte after the 7-character unit
    TVro8SensorSetup s;
    s.Sensor(0).SetMUnit("\xc2\xb0"
                         "C");
    EXPECT_EQ(s.Bytes()[52], 0xB0); // ISO-8859-1 in the block
    EXPECT_EQ(s.Sensor(0).MUnit(), "\xc2\xb0"
                                   "C");
    s.Sensor(0).SetFactorHigh(0xABCD);
    s.Sensor(0).SetFactorLow(0x1234);
    EXPECT_EQ(s.Sensor(0).Factor(), 0xABCD1234u);
}

TEST(SignalCodes, ConversionsBetweenLayouts)
{
    // Input A, type 3 "0 to 4.5 V" on layout 4: code 3, not on layout 2.
    EXPECT_EQ(ConvertSignal(3, 4, 2, 'a'), 0);
    EXPECT_EQ(ConvertSignal(3, 4, 4, 'a'), 3);
    EXPECT_EQ(ConvertSignal(3, 4, 3, 'a'), 3);
    // Input H, type 11 "-10 to 10 V": code 10 on layout 4, 3 on layout 2.
    EXPECT_EQ(ConvertSignal(10, 4, 2, 'h'), 3);
    EXPECT_EQ(ConvertSignal(3, 2, 4, 'h'), 10);
    // Input E offers type 11 on layout 4 (code 10), and it has its name.
    EXPECT_EQ(ConvertSignal(10, 4, 4, 'e'), 10);
    EXPECT_EQ(Vro8SignalTypeName(4, 10, 4), "-10 to 10 V");
    EXPECT_EQ(Vro8SignalTypeList(4, 4).size(), 11u);
    // Layouts 1 and 5 and outside 2..5: 0.
    for (int code = 0; code < 5; ++code) {
        EXPECT_EQ(ConvertSignal(code, 1, 2, 'a'), 0);
        EXPECT_EQ(ConvertSignal(code, 5, 4, 'a'), 0);
        EXPECT_EQ(ConvertSignal(code, 4, 5, 'a'), 0);
        EXPECT_EQ(ConvertSignal(code, 3, 6, 'a'), 0);
    }
    // Inputs I, J and beyond: count pulses and frequency.
    EXPECT_EQ(ConvertSignal(1, 2, 4, 'i'), 1);
    EXPECT_EQ(ConvertSignal(1, 2, 4, 'l'), 1);
    // Codes beyond the input's list never index past it.
    EXPECT_EQ(ConvertSignal(14, 4, 2, 'a'), 0);
    EXPECT_EQ(ConvertSignal(65535, 4, 4, 'h'), 0);
    EXPECT_EQ(ConvertSignal(-1, 4, 4, 'h'), 0);
    EXPECT_EQ(Vro8SignalTypeName(0, 9, 2), "");
    EXPECT_EQ(Vro8SignalTypeName(0, 8, 2), "1 to 6 V");
    EXPECT_EQ(Vro8SignalTypeName(3, 1, 5), "Frequency signal");
    EXPECT_EQ(Vro8SignalTypeName(4, 0, 5), "");
}

TEST(SignalCodes, EveryCodeOfLayouts2To4SurvivesTheTripThroughLayout4)
{
    for (int v = 2; v <= 4; ++v)
        for (int i = 0; i < 12; ++i) {
            const char letter = static_cast<char>('a' + i);
            const int n = static_cast<int>(Vro8SignalTypeList(i, v).size());
            for (int code = 0; code < n; ++code)
                EXPECT_EQ(ConvertSignal(ConvertSignal(code, v, 4, letter), 4, v, letter), code)
                    << "layout " << v << " input " << letter << " code " << code;
        }
}

} // namespace
} // namespace vro::test
