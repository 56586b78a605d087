// The base, display and recording editors against the in-process simulator:
// what they show of the recorder's block, what OK writes, what a refusal or
// Cancel leaves, and values outside the lists kept as extra entries.
#include "core/text/texts.h"
#include "device/setup/vro8setup.h"
#include "device/setupedit/vro8blockeditors.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

class BlockEditors : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        rig = std::make_unique<test::TRecorderRig>(GetParam());
        rig->Connect();
        setup = std::make_unique<TVro8Setup>(*rig->device);
    }
    // The block as the recorder holds it now.
    TVro8SetupData Recorder()
    {
        TVro8Setup s(*rig->device);
        s.ReadAll();
        return s.Data;
    }
    std::unique_ptr<test::TRecorderRig> rig;
    std::unique_ptr<TVro8Setup> setup;
};

TEST_P(BlockEditors, BaseAndDisplayWriteTheirChoices)
{
    TVro8BaseEditor base(*setup);
    base.Open();
    ASSERT_EQ(base.PreassureUnit.Entries.size(), 4u);
    EXPECT_EQ(base.PreassureUnit.Entries[1], text(892));
    ASSERT_EQ(base.FlowUnit.Offered, 3);
    ASSERT_TRUE(base.PreassureUnit.Select(2));
    ASSERT_TRUE(base.FlowUnit.Select(1));
    EXPECT_FALSE(base.FlowUnit.Select(3)) << "three flow units are offered";
    base.Ok();
    EXPECT_EQ(Recorder().Base.PreassureUnit(), 2);
    EXPECT_EQ(Recorder().Base.FlowUnit(), 1);

    TVro8DisplayEditor display(*setup);
    display.Open();
    ASSERT_EQ(display.Kind.Entries.size(), 6u);
    display.Kind.Select(5);
    display.MinMax.Select(1);
    display.Ok();
    EXPECT_EQ(Recorder().Display.Kind(), 5);
    EXPECT_EQ(Recorder().Display.MinMax(), 1);
}

TEST_P(BlockEditors, ValuesOutsideTheListsAreKept)
{
    // FlowUnit 4 (l/s) exists in the recorder but the list offers three.
    setup->ReadAll();
    setup->BaseSetup().SetFlowUnit(4);
    setup->DisplaySetup().SetFilter(9);
    setup->WriteAll();
    TVro8BaseEditor base(*setup);
    base.Open();
    ASSERT_EQ(base.FlowUnit.Entries.size(), 4u);
    EXPECT_EQ(base.FlowUnit.Entries.back(), "4");
    EXPECT_EQ(base.FlowUnit.Selected, 3);
    base.Ok();
    EXPECT_EQ(Recorder().Base.FlowUnit(), 4) << "not 65535";
    base.FlowUnit.Select(0);
    base.Ok();
    EXPECT_EQ(Recorder().Base.FlowUnit(), 0);
    TVro8DisplayEditor display(*setup);
    display.Open();
    display.Ok();
    EXPECT_EQ(Recorder().Display.Filter(), 9);
}

TEST_P(BlockEditors, RecordingEditor)
{
    const int v = GetParam();
    TVro8RecordingEditor ed(*setup);
    ed.Open();
    EXPECT_EQ(ed.RecordingType.Offered, v >= 3 ? 4 : 3);
    if (v >= 3) {
        EXPECT_EQ(ed.RecordingType.Entries[3], text(849));
    }
    EXPECT_EQ(ed.SampleRate.Offered, 18);
    EXPECT_EQ(ed.Duration.Offered, 16);
    EXPECT_EQ(ed.TriggerPosition.Offered, 11);

    // Rows per type.
    ed.RecordingType.Select(0);
    EXPECT_EQ(ed.Rows(), (std::vector<std::string>{"x7x24xSampleRateComboBox", "x28x43xDurationComboBox",
                                                   "x44x45xSimpleCurveModeComboBox"}));
    ed.RecordingType.Select(1);
    EXPECT_EQ(ed.Rows().back(), "x50x60xTriggerPositionComboBox");
    ed.RecordingType.Select(2);
    EXPECT_TRUE(ed.Rows().empty());

    // A blank name is refused and nothing is written.
    const TVro8RecordingSetup before = Recorder().Recording;
    ed.RecordingName = "   ";
    ed.SampleRate.Select(17);
    const TVro8EditResult r = ed.Ok();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Field, "RecordingNameEdit");
    EXPECT_EQ(r->Message, text(746));
    EXPECT_TRUE(Recorder().Recording == before);

    ed.RecordingName = " Line 4 ";
    ed.Duration.Select(15);
    ASSERT_FALSE(ed.Ok());
    const TVro8RecordingSetup after = Recorder().Recording;
    EXPECT_EQ(after.RecordingName(), "Line 4");
    EXPECT_EQ(after.SampleRate(), 17);
    EXPECT_EQ(after.Duration(), 15);
    EXPECT_EQ(after.RecordingType(), 2);

    // Cancel reads the block again and drops the edits.
    ed.RecordingName = "other";
    ed.SampleRate.Select(0);
    ed.Cancel();
    EXPECT_EQ(ed.RecordingName, "Line 4");
    EXPECT_EQ(ed.SampleRate.Selected, 17);
}

TEST_P(BlockEditors, AStartStopTypeOnAnOldLayoutIsKept)
{
    if (GetParam() >= 3)
        GTEST_SKIP() << "type 3 is offered here";
    setup->ReadAll();
    setup->RecordingSetup().SetRecordingType(3);
    setup->WriteAll();
    TVro8RecordingEditor ed(*setup);
    ed.Open();
    EXPECT_EQ(ed.RecordingType.Entries.back(), "3");
    ed.RecordingName = "x";
    ASSERT_FALSE(ed.Ok());
    EXPECT_EQ(Recorder().Recording.RecordingType(), 3);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BlockEditors, ::testing::Values(1, 3, 4, 5));

} // namespace
} // namespace vro
