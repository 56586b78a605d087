#include "recording_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vro;
using vro::test::MakeRecording;
using vro::test::Plain;
using vro::test::TRecordingShape;

TEST(RecordingRanges, SetCurrentRangeRules)
{
    auto r = Plain(10);
    auto& c = r->Channel(0);
    c.SetCurrentRange(5, 7);
    EXPECT_EQ(c.CurrentLoRange, 5);
    EXPECT_EQ(c.CurrentHiRange, 15);
    c.SetCurrentRange(6, 8); // inside the 10-wide range: unchanged
    EXPECT_EQ(c.CurrentLoRange, 5);
    c.SetCurrentRange(-3000000000LL, 3000000000LL);
    EXPECT_EQ(c.CurrentLoRange, -1000000000);
    EXPECT_EQ(c.CurrentHiRange, 1000000000);
    c.SetCurrentRange(NoValue, 100);
    EXPECT_EQ(c.CurrentLoRange, -1000000000);
    c.SetCurrentRange(999999999, 1000000000);
    EXPECT_EQ(c.CurrentLoRange, 999999990);
    EXPECT_EQ(c.CurrentHiRange, 1000000000);
}

TEST(RecordingRanges, ScalingNeverDividesByZero)
{
    auto r = Plain(10);
    auto& c = r->Channel(0);
    c.CurrentLoRange = c.CurrentHiRange = 50; // a damaged range set directly
    EXPECT_TRUE(std::isfinite(c.ValueToRelative(70)));
    EXPECT_NE(c.ScaleValue(70, 0, 100), NoValue);
    EXPECT_EQ(c.ScaleValue(NoValue, 0, 100), NoValue);
    EXPECT_TRUE(std::isnan(c.ValueToRelative(NoValue)));
    EXPECT_EQ(c.RelativeToValue(std::nan("")), NoValue);
}

TEST(RecordingChannels, TimeShiftedAccess)
{
    auto r = Plain(10);
    auto& c = r->Channel(0);
    c.SetTimeShift(3);
    EXPECT_FALSE(r->Saved);
    r->TimeShiftActive = true;
    EXPECT_EQ(c.GetValue(2), NoValue);
    EXPECT_EQ(c.GetValue(3), c.Values[0]);
    EXPECT_EQ(c.GetValue(12), c.Values[9]);
    EXPECT_EQ(c.GetValue(13), NoValue);
    r->TimeShiftActive = false;
    EXPECT_EQ(c.GetValue(2), c.Values[2]);
    EXPECT_EQ(c.GetValue(10), NoValue); // outside the array: never read past it
}

TEST(RecordingChannels, NamesColoursStylesAndColumns)
{
    auto r = Plain(10);
    auto& c = r->Channel(0);
    c.SetColorIndex(23);
    EXPECT_EQ(c.ColorIndex, 3);
    c.SetColorIndex(-1);
    EXPECT_EQ(c.ColorIndex, 9);
    c.SetStyle(3);
    EXPECT_EQ(c.Style, 0);
    c.SetStyle(2);
    EXPECT_EQ(c.Style, 2);
    c.DeviceName = "Channel A";
    c.CustomName = "Boiler pressure 1"; // 17 characters
    c.NoOriginalSensor = false;
    EXPECT_EQ(c.GetLongName(), "Boiler pressure 1(Channel A)");
    EXPECT_EQ(c.GetUnitText(), "[bar]");
    EXPECT_EQ(c.GetTextLength(false, ""), 7);
    EXPECT_EQ(c.GetTextLength(true, ""), 17);
    c.NoOriginalSensor = true;
    EXPECT_EQ(c.GetName(), "*Boiler pressure 1");
}
