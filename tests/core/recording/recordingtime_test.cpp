#include "recording_support.h"

#include "core/text/texts.h"

#include <gtest/gtest.h>

using namespace vro;
using vro::test::MakeRecording;
using vro::test::Plain;
using vro::test::TRecordingShape;

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
    TRecordingShape s;
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
    TRecordingShape s;
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
