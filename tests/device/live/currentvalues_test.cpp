// The current-values table against the simulated recorder: columns by the
// recorder's min/max mode, the empty list, a reset before the read, and
// errors that pass to the caller.
#include "device/live/currentvalues.h"

#include "core/text/texts.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

using namespace vro;

namespace {

std::vector<sim::TSimChannel> TwoChannels()
{
    return {{-1000, 1000, 1, 1, 0, 0, "Pressure", "bar"}, {0, 500, 0, 2, 0, 0, "Flow", "l/min"}};
}

} // namespace

TEST(CurrentValues, ThreeColumnsWithoutMinMax)
{
    test::TRecorderRig rig;
    rig.recorder->SetChannels(TwoChannels(), false);
    rig.Connect();
    TCurrentValues page(rig.device->Measurement);
    const auto& t = page.Open();
    EXPECT_EQ(t.ColumnCount, 3);
    EXPECT_FALSE(t.ResetVisible);
    ASSERT_EQ(t.Rows.size(), 3u);
    EXPECT_EQ(t.Rows[0], (std::vector<std::string>{text(503), text(504), text(505)}));
    EXPECT_EQ(t.Rows[1][0], "Pressure");
    EXPECT_EQ(t.Rows[1][2], "bar");
    EXPECT_EQ(t.Rows[2].size(), 3u);
}

TEST(CurrentValues, FiveColumnsWithMinMaxAndResetFirst)
{
    test::TRecorderRig rig;
    rig.recorder->SetChannels(TwoChannels(), true);
    rig.Connect();
    TCurrentValues page(rig.device->Measurement);
    const auto& t = page.Open();
    EXPECT_EQ(t.ColumnCount, 5);
    EXPECT_TRUE(t.ResetVisible);
    EXPECT_EQ(t.Rows[0][3], text(506));
    EXPECT_EQ(t.Rows[0][4], text(507));
    EXPECT_NE(t.Rows[1][3], "---");
    EXPECT_EQ(rig.recorder->RequestCount('S', 13), 0);

    page.RequestReset();
    const auto before = rig.recorder->Transcript().size();
    page.Update();
    EXPECT_FALSE(page.ResetRequested());
    const auto tr = rig.recorder->Transcript();
    ASSERT_GE(tr.size(), before + 2);
    EXPECT_EQ(tr[before].Address, 'S'); // S 13 before R 12
    EXPECT_EQ(tr[before].Number, 13);
    EXPECT_EQ(tr[before + 1].Number, 12);
}

TEST(CurrentValues, NoChannelGivesOneDashRow)
{
    test::TRecorderRig rig;
    rig.recorder->SetChannels({}, false);
    rig.Connect();
    TCurrentValues page(rig.device->Measurement);
    const auto& t = page.Open();
    ASSERT_EQ(t.Rows.size(), 2u);
    EXPECT_EQ(t.Rows[1], (std::vector<std::string>(3, "---")));
}

TEST(CurrentValues, ErrorsPassToTheCaller)
{
    test::TRecorderRig rig;
    rig.recorder->SetChannels(TwoChannels(), false);
    rig.Connect();
    TCurrentValues page(rig.device->Measurement);
    page.Open();
    rig.recorder->SetFault('R', 12, {sim::ERecorderFault::Silence});
    EXPECT_ANY_THROW(page.Update());
}
