#include "recording_support.h"

#include <gtest/gtest.h>

using namespace vro;
using vro::test::MakeRecording;
using vro::test::Plain;
using vro::test::TRecordingShape;

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
    TRecordingShape s;
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
