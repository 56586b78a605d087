#include "recording_support.h"

#include "core/text/texts.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vro;
using vro::test::MakeRecording;
using vro::test::TRecordingSpec;

namespace {

std::unique_ptr<TRecording> Plain(std::int32_t records, int channels = 2)
{
    TRecordingSpec s;
    s.Records = records;
    s.Channels = channels;
    return MakeRecording(s);
}

} // namespace

TEST(RecordingWindow, ResetRangeWithoutStamps)
{
    auto r = Plain(1000);
    EXPECT_EQ(r->Time->LoRange, 0);
    EXPECT_EQ(r->Time->HiRange, 1000);
    EXPECT_EQ(r->Time->LastIndex, 999);
    auto q = Plain(999);
    EXPECT_EQ(q->Time->HiRange, 998);
    EXPECT_EQ(q->Time->LastIndex, 998);
}

TEST(RecordingWindow, NarrowWindowsBecomeTenWideAndStayInside)
{
    auto r = Plain(1000);
    r->Time->SetRange(100, 103);
    EXPECT_EQ(r->Time->LoRange, 100);
    EXPECT_EQ(r->Time->HiRange, 110);
    r->Time->SetRange(101, 104);
    EXPECT_EQ(r->Time->LoRange, 100);
    EXPECT_EQ(r->Time->HiRange, 110);
    // Beyond the end the window is pushed back; before the start it starts there.
    r->Time->SetRange(995, 1200);
    EXPECT_EQ(r->Time->HiRange, 1000);
    r->Time->SetRange(-50, 20);
    EXPECT_EQ(r->Time->LoRange, 0);
    EXPECT_EQ(r->Time->HiRange, 70);
}

TEST(RecordingWindow, StampSearchTakesInTheSampleBeyondAWindowEnd)
{
    TRecordingSpec s;
    s.Records = 6;
    s.Stamps = true;
    auto r = MakeRecording(s);
    r->Time->TimeStamps = {10, 20, 20, 20, 30, 40};
    EXPECT_EQ(r->Time->IndexOfTime(20), 1); // first of the run
    EXPECT_EQ(r->Time->IndexOfTime(25), 3); // last stamp below
    EXPECT_EQ(r->Time->IndexOfTime(5), 0);
    EXPECT_EQ(r->Time->IndexOfTime(99), 5);
    r->Time->SetRange(15, 25);
    EXPECT_EQ(r->Time->FirstIndex, 0);
    EXPECT_EQ(r->Time->LastIndex, 4);
    r->Time->SetRange(20, 30);
    EXPECT_EQ(r->Time->FirstIndex, 1);
    EXPECT_EQ(r->Time->LastIndex, 4);
}

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

TEST(RecordingTime, IntervalTableAndUnknownIntervals)
{
    TRecording r;
    r.ChannelCount = 1;
    r.RecordCount = 5;
    r.RecordingSource = 5;
    r.SampleRate = 60000; // 6 s: row 27 ("3 s") divides it first
    r.CreateChannelObjects();
    EXPECT_EQ(r.Time->TimeUnit, "s");
    EXPECT_EQ(r.Time->TimeStep, 6);
    EXPECT_EQ(r.Time->TimeDecimals, 0);
    r.SampleRate = -10; // negative counts as unknown for every source
    r.CreateChannelObjects();
    EXPECT_EQ(r.Time->TimeUnit, text(154));
    EXPECT_EQ(r.Time->TimeStep, 1);
    r.RecordingSource = 0;
    r.SampleRate = 28; // no such row
    r.CreateChannelObjects();
    EXPECT_EQ(r.Time->TimeUnit, text(154));
    r.SampleRate = 11;
    r.CreateChannelObjects();
    EXPECT_EQ(r.Time->TimeUnit, "s");
    EXPECT_EQ(r.Time->TimeStep, 5);
    EXPECT_EQ(r.Time->TimeDecimals, 1);
    EXPECT_EQ(r.Time->GetSampleIntervalText(), "500 ms");
}

TEST(RecordingTime, SubTimesShowThreeDigitMilliseconds)
{
    TRecordingSpec s;
    s.Records = 4;
    s.SubTimes = true;
    auto r = MakeRecording(s);
    r->Time->TimeStamps = {0, 1, 2, 3}; // relative stamps
    r->Time->SubTimes->Values = {5, 427, 9999, 50};
    EXPECT_EQ(r->Time->IndexToText(0), "0s,000");
    EXPECT_EQ(r->Time->IndexToText(1), "1s,042");
    EXPECT_EQ(r->Time->IndexToText(2), "2s,999");
    // A span of 1.005 s shows five milliseconds, not half a second.
    r->Time->TimeStamps = {100000, 100001, 100002, 100003};
    r->Time->SetRange(100000, 100002);
    EXPECT_EQ(r->Time->HiRange - r->Time->LoRange, 2);
    const std::string span = r->Time->RelativeSpanToText(1.005 / 2);
    EXPECT_EQ(span.substr(span.size() - 4), ",005") << span;
}

TEST(RecordingTime, TextsWithoutStamps)
{
    auto r = Plain(100);
    r->PreTriggerCount = 10;
    // Row 9: 100 ms = step 1 at one decimal of seconds.
    SetDvxFormatSettings(TDvxFormatSettings::Iso());
    EXPECT_EQ(r->Time->TimeToText(15), "0.5");
    EXPECT_EQ(r->Time->TimeToText(0), "-1.0");
    EXPECT_EQ(r->Time->GetDurationText(), "10.0");
    EXPECT_EQ(r->Time->ParseTime("0.5"), 15);
    EXPECT_THROW(r->Time->ParseTime("abc"), std::exception);
    SetDvxFormatSettings(TDvxFormatSettings::German());
}

TEST(RecordingStates, StateTexts)
{
    TRecordingSpec s;
    s.Records = 3;
    s.States = true;
    s.Stamps = true;
    auto r = MakeRecording(s);
    r->State->States = {5, 0, 9};
    EXPECT_EQ(r->State->GetStateText(0), "T1, T3");
    EXPECT_EQ(r->State->GetStateText(1), "-");
    r->RecordingSource = 2;
    EXPECT_EQ(r->State->GetStateText(2), "-");
    EXPECT_EQ(r->State->GetStateText(0), "MAX");
    EXPECT_EQ(r->State->GetStateText(7), "-"); // out of range
    r->State->InsertState(1, 7);
    EXPECT_EQ(r->State->States, (TStateValues{5, 7, 0, 9}));
}

TEST(RecordingViewState, RemarksAndChannelsRoundTrip)
{
    auto r = Plain(100);
    r->Remarks.resize(3);
    r->Remarks[0].RemarkId = 0;
    r->Remarks[1].RemarkId = 4;
    r->Remarks[2].RemarkId = 5;
    r->Remarks[2].Visible = false;
    r->Channel(1).Visible = false;
    r->Channel(1).SetCurrentRange(100, 200);
    r->Time->SetRange(20, 60);
    const std::string state = r->GetViewState();
    EXPECT_EQ(state.substr(state.find('@')), "@4");
    EXPECT_EQ(state.substr(0, state.find('#')), "0|20|60|-1|0|0|0");

    auto q = Plain(100);
    q->Remarks = r->Remarks;
    for (auto& m : q->Remarks)
        m.Visible = !m.Visible;
    q->SetViewState(state);
    EXPECT_EQ(q->Time->LoRange, 20);
    EXPECT_EQ(q->Time->HiRange, 60);
    EXPECT_TRUE(q->Remarks[0].Visible);
    EXPECT_TRUE(q->Remarks[1].Visible);
    EXPECT_FALSE(q->Remarks[2].Visible);
    EXPECT_FALSE(q->Channel(1).Visible);
    EXPECT_EQ(q->Channel(1).CurrentLoRange, 100);
    EXPECT_EQ(q->Channel(1).CurrentHiRange, 200);
    EXPECT_EQ(q->GetViewState(), state);
}

TEST(RecordingViewState, DamagedTextsKeepTheRangeInvariant)
{
    auto r = Plain(100);
    auto& c = r->Channel(0);
    r->SetViewState("0|0|100|-1|0|0|0#1|500|500|0|0|0|0#1|-2147483648|10|0|0|0|0@");
    EXPECT_EQ(c.CurrentLoRange, c.FullLoRange);
    EXPECT_EQ(c.CurrentHiRange, c.FullHiRange);
    EXPECT_EQ(r->Channel(1).CurrentLoRange, r->Channel(1).FullLoRange);
    // A narrow but real range is restored as it stands.
    r->SetViewState("0|0|100|-1|0|0|0#1|5|7|0|0|0|0#1|x|y|9|23|1|0@");
    EXPECT_EQ(c.CurrentLoRange, 5);
    EXPECT_EQ(c.CurrentHiRange, 7);
    EXPECT_EQ(r->Channel(1).Style, 0);
    EXPECT_EQ(r->Channel(1).ColorIndex, 3);
    EXPECT_TRUE(r->Channel(1).ShowMinMax);
    // Missing fields take the defaults; an X axis that names no channel goes.
    r->SetViewState("garbage");
    EXPECT_EQ(r->XAxisIndex, -1);
    EXPECT_TRUE(r->Channel(0).Visible);
    EXPECT_EQ(r->Channel(1).ColorIndex, 1);
}

TEST(RecordingAxes, CheckAxes)
{
    auto r = Plain(10, 3);
    for (int i = 0; i < 3; ++i)
        r->Channel(i).Visible = false;
    r->XAxisIndex = 7;
    r->CheckAxes();
    EXPECT_EQ(r->XAxisIndex, -1);
    EXPECT_TRUE(r->Channel(0).Visible);
    r->XAxisIndex = 0; // the only visible channel is the X axis
    r->CheckAxes();
    EXPECT_EQ(r->XAxisIndex, -1);
    TRecording empty;
    EXPECT_NO_THROW(empty.CheckAxes());
}

TEST(RecordingChannels, DeleteChannelMovesAxesAndRemarks)
{
    auto one = Plain(10, 1);
    EXPECT_FALSE(one->DeleteChannel(0));
    EXPECT_EQ(one->ChannelCount, 1);

    auto r = Plain(10, 4);
    r->Channel(3).CustomName = "last";
    r->LeftYAxis = 0b1011;  // channels 0, 1, 3
    r->RightYAxis = 0b0100; // channel 2
    r->XAxisIndex = 3;
    r->Remarks.resize(3);
    r->Remarks[0].IsAnchored = true;
    r->Remarks[0].AnchorChannel = 1;
    r->Remarks[1].IsAnchored = true;
    r->Remarks[1].AnchorChannel = 3;
    r->Remarks[2].AnchorChannel = 1; // not anchored: stays
    r->SnapshotCamera.Add(r->GetViewState(), "view");
    r->History.Add(r->GetViewState());
    r->Saved = true;
    ASSERT_TRUE(r->DeleteChannel(1));
    EXPECT_EQ(r->ChannelCount, 3);
    EXPECT_EQ(r->Channel(2).CustomName, "last");
    EXPECT_EQ(r->Channels[3], nullptr);
    EXPECT_EQ(r->LeftYAxis, 0b101);
    EXPECT_EQ(r->RightYAxis, 0b010);
    EXPECT_EQ(r->XAxisIndex, 2);
    ASSERT_EQ(r->Remarks.size(), 2u);
    EXPECT_EQ(r->Remarks[0].AnchorChannel, 2);
    EXPECT_EQ(r->Remarks[1].AnchorChannel, 1);
    EXPECT_EQ(r->SnapshotCamera.Count(), 0);
    EXPECT_FALSE(r->History.Filled);
    EXPECT_FALSE(r->Saved);
}

TEST(RecordingViewState, AppendChannelToViews)
{
    auto r = Plain(10, 1);
    r->SnapshotCamera.Add(r->GetViewState(), "a");
    r->SnapshotCamera.Append(TSnapshot{"0|0|10|-1|0|0|0#1|0|100|0|0|0|0", 0.0, "", "no at"});
    r->History.Add(r->GetViewState());
    r->ChannelCount = 2;
    r->Channels[1] = std::make_unique<TRecordingSensorWrapper>(*r);
    r->Channel(1).SetCurrentRange(0, 50);
    r->AppendChannelToViews();
    EXPECT_TRUE(r->Channel(1).Visible);
    const std::string added = "#0|0|50|0|0|0|0";
    const std::string& withAt = r->SnapshotCamera.Items(0).Data;
    EXPECT_NE(withAt.find(added + "@"), std::string::npos) << withAt;
    const std::string& withoutAt = r->SnapshotCamera.Items(1).Data;
    EXPECT_EQ(withoutAt, "0|0|10|-1|0|0|0#1|0|100|0|0|0|0" + added);
    EXPECT_NE(r->History.Entries[0].find(added + "@"), std::string::npos);
    // The old view keeps the new channel hidden.
    r->SetViewState(withAt);
    EXPECT_FALSE(r->Channel(1).Visible);
}

TEST(RecordingHistory, AddBackForwardAndFull)
{
    THistory h;
    h.Add("a");
    h.Add("a"); // same as the current entry: nothing
    h.Add("b");
    h.Add("c");
    EXPECT_EQ(h.Last, 2);
    EXPECT_EQ(h.Back(), "b");
    EXPECT_EQ(h.Back(), "a");
    EXPECT_EQ(h.Back(), "a");
    EXPECT_FALSE(h.CanBack());
    EXPECT_EQ(h.Forward(), "b");
    h.Add("d"); // drops "c"
    EXPECT_EQ(h.Last, 2);
    EXPECT_FALSE(h.CanForward());
    EXPECT_EQ(h.Entries[2], "d");
    THistory full;
    for (int i = 0; i < 45; ++i)
        full.Add(std::to_string(i));
    EXPECT_EQ(full.Position, 39);
    EXPECT_EQ(full.Entries[0], "5");
    EXPECT_EQ(full.Entries[39], "44");
    full.Locked = true;
    full.Add("x");
    EXPECT_EQ(full.Entries[39], "44");
}

TEST(RecordingRemarks, AnchorsThatNameNoChannelAreNeverUsed)
{
    auto r = Plain(10, 2);
    r->TimeShiftActive = true;
    r->Channel(1).TimeShift = 4;
    TRemarkData m;
    m.AnchorIndex = 3;
    m.AnchorChannel = 1;
    EXPECT_EQ(r->GetRemarkIndex(m), 7);
    r->SetRemarkIndex(7, m);
    EXPECT_EQ(m.AnchorIndex, 3);
    m.AnchorChannel = 99;
    EXPECT_EQ(r->GetRemarkIndex(m), 3);
    m.AnchorChannel = -5;
    r->SetRemarkIndex(8, m);
    EXPECT_EQ(m.AnchorIndex, 8);
    r->Remarks = {m, m};
    r->Remarks[1].RemarkId = 9;
    EXPECT_EQ(r->FindRemark(9), 1);
    r->DeleteRemark(5);
    EXPECT_EQ(r->Remarks.size(), 2u);
    r->DeleteRemark(0);
    EXPECT_EQ(r->FindRemark(9), 0);
}

TEST(RecordingSize, DataSizeIsSixtyFourBit)
{
    TRecordingSpec s;
    s.Channels = 32;
    s.Records = 1;
    s.MinMax = true;
    s.Wide = true;
    s.States = true;
    s.Stamps = true;
    auto r = MakeRecording(s);
    EXPECT_EQ(r->DataSize(), 32 * 12 + 4 + 2);
    r->RecordCount = 10000000; // only the count matters here
    EXPECT_EQ(r->DataSize(), std::int64_t(390) * 10000000);
}

TEST(RecordingModel, CreateChannelObjectsRefusesWhatTheModelCannotHold)
{
    TRecording r;
    r.RecordCount = 10;
    r.ChannelCount = 33;
    EXPECT_THROW(r.CreateChannelObjects(), ERecording);
    r.ChannelCount = 2;
    r.HasSubTimes = true; // without time stamps
    EXPECT_THROW(r.CreateChannelObjects(), ERecording);
    r.HasSubTimes = false;
    r.RecordCount = -1;
    EXPECT_THROW(r.CreateChannelObjects(), ERecording);
    EXPECT_THROW(r.Channel(0), std::out_of_range);
}

TEST(RecordingModel, CopyFromTakesDescriptionAndSamples)
{
    auto src = Plain(10, 1);
    src->Channel(0).CustomName = "src";
    src->Channel(0).TimeShift = 2;
    auto dst = Plain(4, 1);
    dst->Channel(0).Visible = false;
    dst->Channel(0).CopyFrom(src->Channel(0), 8);
    EXPECT_EQ(dst->Channel(0).CustomName, "src");
    EXPECT_EQ(dst->Channel(0).TimeShift, 2);
    EXPECT_TRUE(dst->Channel(0).Visible);
    EXPECT_EQ(dst->Channel(0).Values, (TSensorValues{8, 9, NoValue, NoValue}));
}

TEST(RecordingModel, VersionTexts)
{
    auto r = Plain(3, 2);
    EXPECT_EQ(r->GetVersion(), "VROWIN_V02_E01");
    r->Channel(1).Has32BitSize = true;
    EXPECT_EQ(r->GetVersion(), "VROWIN_V02_E02");
    r->RecordingSource = 5;
    EXPECT_EQ(r->GetVersion(), "PELLOVIS_V03_E01");
    EXPECT_TRUE(TRecording::IsKnownVersion("PELLOVIS_V03_E01"));
    EXPECT_FALSE(TRecording::IsKnownVersion("VROWIN_V02_E03"));
    r->FileName = "/data/run 7.vxrf";
    EXPECT_EQ(r->GetName(), "run 7");
    EXPECT_EQ(r->GetDisplayFileName(), "*/data/run 7.vxrf");
}
