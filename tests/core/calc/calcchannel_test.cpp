#include "core/calc/calcchannel.h"
#include "core/recording/recording.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

using namespace vro;

namespace {
std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->HasMinMaxValues = minmax;
    r->SampleRate = 1;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Sensor " + std::to_string(c + 1);
        ch.Decimals = 1;
        ch.ColorIndex = c;
        for (int i = 0; i < samples; ++i)
            ch.Values[static_cast<std::size_t>(i)] = (c + 1) * 10 * (i + 1); // (c+1)*(i+1) in units
    }
    r->Time->ResetRange();
    return r;
}
} // namespace

TEST(CalcChannel, ComputesWithAutomaticDecimalsAndFinishesTheChannel)
{
    auto r = MakeRecording(2, 10);
    TCalcChannel calc(*r);
    const auto res = calc.Calculate("s1 + s2 * 10", 0, true, "bar"); // 21 .. 210
    ASSERT_EQ(res.TextNumber, 0) << res.Message;
    EXPECT_EQ(res.Decimals, 2);
    ASSERT_EQ(r->ChannelCount, 3);
    const auto& ch = r->Channel(2);
    EXPECT_EQ(ch.DeviceName, "Calculated 1");
    EXPECT_TRUE(ch.NoOriginalSensor);
    EXPECT_EQ(ch.Values[0], 2100);
    EXPECT_EQ(ch.Values[9], 21000);
    EXPECT_EQ(ch.MeasureUnit, "bar");
    EXPECT_LE(ch.FullLoRange, 2100);
    EXPECT_GE(ch.FullHiRange, 21000);
    EXPECT_FALSE(ch.Has32BitSize);
    EXPECT_EQ(ch.DeviceLoRange, NoValue);
    EXPECT_EQ(ch.Comment.rfind("Formula: s1+s2*10\r\n  S1  ", 0), 0u);
    calc.Accept();
    EXPECT_FALSE(r->Saved);
}

TEST(CalcChannel, DecimalRulesAndRefusals)
{
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(3.5), 4);
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(12), 3);
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(99.9), 3);
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(1000), 1);
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(0), 4);
    EXPECT_EQ(TCalcChannel::AutomaticDecimals(150000), -1);

    auto r = MakeRecording(1, 5);
    TCalcChannel calc(*r);
    EXPECT_EQ(calc.Calculate("  ", 0, true, "").TextNumber, 402);
    EXPECT_FALSE(calc.HasChannel());
    EXPECT_EQ(calc.Calculate("s1*100000", 0, true, "").TextNumber, 400);
    EXPECT_EQ(calc.Calculate("ln(0)", 0, true, "").TextNumber, 401);
    EXPECT_EQ(calc.Calculate("s1+", 0, true, "").TextNumber, 411);
    EXPECT_EQ(calc.Calculate("(s1", 0, true, "").TextNumber, 409);
    // More decimals than the automatic choice, as long as raw values fit.
    EXPECT_EQ(calc.Calculate("s1", 8, false, "").TextNumber, 0);
    EXPECT_EQ(calc.Calculate("s1*100", 8, false, "").TextNumber, 400);
    calc.Cancel();
    EXPECT_EQ(r->ChannelCount, 1);
}

TEST(CalcChannel, VariablesCarryTheirShiftAndTheNewChannelHasNone)
{
    auto r = MakeRecording(1, 10, true);
    r->Channel(0).TimeShift = 2;
    r->TimeShiftActive = false; // must not matter
    TCalcChannel calc(*r);
    ASSERT_EQ(calc.Calculate("s1", 1, false, "").TextNumber, 0);
    const auto& ch = r->Channel(1);
    EXPECT_EQ(ch.TimeShift, 0);
    EXPECT_EQ(ch.Values[0], NoValue);
    EXPECT_EQ(ch.Values[2], 10);
    EXPECT_EQ(ch.MinValues[5], NoValue);
    EXPECT_EQ(ch.MaxValues[5], NoValue);
}

TEST(CalcChannel, NamesAndColours)
{
    auto r = MakeRecording(3, 5);
    r->Channel(0).DeviceName = "Calculated 2";
    r->Channel(2).DeviceName = "Calculated 5";
    EXPECT_EQ(NextDerivedName(*r, "Calculated", -1), "Calculated 6");
    r->Channel(0).ColorIndex = 1;
    r->Channel(1).ColorIndex = 2;
    r->Channel(2).ColorIndex = 0;
    EXPECT_EQ(NextDerivedColor(*r, -1), 3);
    r->HasTimeStamps = true;
    EXPECT_EQ(DerivedChannelRefusal(*r, true), 406);
    r->HasTimeStamps = false;
    r->XAxisIndex = 0;
    EXPECT_EQ(DerivedChannelRefusal(*r, false), 448);
}

TEST(ChannelEdits, RefusalsComeInTheDialogsOrder)
{
    auto r = MakeRecording(3, 5);
    EXPECT_EQ(TimeShiftRefusal(*r, 3), 0);
    EXPECT_EQ(DeleteChannelRefusal(*r), 0);
    EXPECT_EQ(TimeShiftRefusal(*r, 0), 469); // nothing drawn
    r->XAxisIndex = 1;
    EXPECT_EQ(TimeShiftRefusal(*r, 0), 468); // the axis comes before the drawn channels
    EXPECT_EQ(DeleteChannelRefusal(*r), 0);  // deleting may move the X axis
    r->HasTimeStamps = true;
    EXPECT_EQ(TimeShiftRefusal(*r, 3), 467); // an event log first of all
    EXPECT_EQ(DeleteChannelRefusal(*r), 467);
}

TEST(FilterChannel, FiltersStoredSamplesAndKeepsTheSourceShift)
{
    auto r = MakeRecording(2, 10);
    r->Channel(1).TimeShift = 3;
    r->TimeShiftActive = true;
    TFilterChannel f(*r);
    ASSERT_EQ(f.ChannelIndex(), 2);
    EXPECT_EQ(r->Channel(2).DeviceName, "Filtered 1");
    f.Apply(1, 5);
    const auto& ch = r->Channel(2);
    EXPECT_EQ(ch.TimeShift, 3);
    EXPECT_EQ(ch.Values[0], 30); // (20 + 40) / 2 from the stored samples
    EXPECT_EQ(ch.Values[9], NoValue);
    EXPECT_EQ(ch.Comment, "Add a filtered channel: " + r->Channel(1).GetLongName());
    f.Cancel();
    EXPECT_EQ(r->ChannelCount, 2);
}
