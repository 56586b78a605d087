#include "recording_support.h"

#include <gtest/gtest.h>

using namespace vro;
using vro::test::MakeRecording;
using vro::test::TRecordingShape;

TEST(RecordingStates, StateTexts)
{
    TRecordingShape s;
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
