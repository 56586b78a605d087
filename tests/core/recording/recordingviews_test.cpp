#include "recording_support.h"

#include <gtest/gtest.h>

using namespace vro;

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

TEST(RecordingSnapshots, MoveDeleteAndAppendChannel)
{
    TSnapshotCam cam;
    cam.Add("0|a@1", "one");
    cam.Add("0|b", "two"); // a hand-made text without remarks
    cam.Add("0|c@", "three");
    cam.Move(0, 2);
    EXPECT_EQ(cam.Items(0).Name, "two");
    EXPECT_EQ(cam.Items(2).Name, "one");
    cam.Move(0, 3); // out of range: nothing
    cam.Move(-1, 0);
    EXPECT_EQ(cam.Items(0).Name, "two");

    cam.AppendChannel("x");
    EXPECT_EQ(cam.Items(0).Data, "0|b#x");
    EXPECT_EQ(cam.Items(1).Data, "0|c#x@");
    EXPECT_EQ(cam.Items(2).Data, "0|a#x@1");

    const TSnapshot* middle = &cam.Items(1);
    cam.Remove(middle);
    cam.Delete(5);
    ASSERT_EQ(cam.Count(), 2);
    EXPECT_EQ(cam.Items(1).Name, "one");
}
