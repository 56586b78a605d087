#include "core/config/inilist.h"
#include "core/graph/axislogic.h"
#include "core/graph/graphrender.h"
#include "core/graph/graphview.h"
#include "core/values/vro8utils.h"
#include "graph_support.h"

#include <gtest/gtest.h>

using namespace vro;
using namespace vro::graph;

namespace {

const TTextMeasure kChars = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };

struct ViewFixture : ::testing::Test {
    std::unique_ptr<TRecording> r = graphtest::MakeRecording(2, 1000);
    TGraphicView v;
    void SetUp() override
    {
        v.SetRecording(r.get());
        v.SetSize(101, 101, nullptr); // W = H = 100
    }
};

} // namespace

TEST_F(ViewFixture, ZoomAndPanWorkInWholeGridCells)
{
    // Magnifier over three columns and two rows: spans × 0.3 and × 0.2.
    v.Zoom(0.2, 0.3, 0.3, 0.2);
    EXPECT_EQ(r->Time->LoRange, 200);
    EXPECT_EQ(r->Time->HiRange, 500);
    EXPECT_EQ(r->Channel(0).CurrentLoRange, 300);
    EXPECT_EQ(r->Channel(0).CurrentHiRange, 500);
    EXPECT_TRUE(v.Changed);
    EXPECT_FALSE(r->Saved);
    // A size that rounds to 0 only pans; -0.2 makes the span five times larger.
    v.ZoomAxis(-1, 0.04, 0.1);
    EXPECT_EQ(r->Time->LoRange, 230);
    EXPECT_EQ(r->Time->HiRange - r->Time->LoRange, 300);
    v.ZoomAxis(0, -0.2, 0);
    EXPECT_EQ(r->Channel(0).CurrentHiRange - r->Channel(0).CurrentLoRange, 1000);
    v.FullScale();
    EXPECT_EQ(r->Time->LoRange, 0);
    EXPECT_EQ(r->Time->HiRange, 1000);
    EXPECT_EQ(r->Channel(1).CurrentHiRange, 1000);
}

TEST_F(ViewFixture, NavigatorShiftRightKeepsTheFirstSample)
{
    v.Zoom(1, 0, 1 - 0.1, 0);
    EXPECT_EQ(r->Time->FirstIndex, 0);
    EXPECT_EQ(r->Time->HiRange - r->Time->LoRange, 900);
}

TEST_F(ViewFixture, SnappedRectWidensToGridLines)
{
    v.SetToolPoints(25, 31, 12, 55);
    EXPECT_EQ(v.SnappedRect(), (TRect{10, 30, 30, 60}));
    EXPECT_FALSE(v.SetToolPoints(25, 31, 12, 55));
    v.SetToolPoints(-5, 500, 0, 0);
    EXPECT_EQ(v.X1, 0);
    EXPECT_EQ(v.Y1, 100);
}

TEST_F(ViewFixture, SelectingTheActiveToolSwitchesItOff)
{
    int changes = 0;
    v.OnToolChanged = [&] { ++changes; };
    v.SetTool(3);
    EXPECT_EQ(v.ActiveTool, 3);
    v.SetTool(3);
    EXPECT_EQ(v.ActiveTool, 0);
    EXPECT_EQ(changes, 2);
    // While navigating nothing enters the history.
    v.SetTool(4);
    v.AddToHistory("x");
    EXPECT_FALSE(r->History.Filled);
}

TEST_F(ViewFixture, HistoryBackAndForwardRestoreViews)
{
    v.AddToHistory(r->GetViewState());
    v.Zoom(0.5, 0, 0.5, 0);
    v.AddToHistory(r->GetViewState());
    v.GoBack();
    EXPECT_EQ(r->Time->HiRange, 1000);
    EXPECT_TRUE(r->History.CanForward());
    v.GoForward();
    EXPECT_EQ(r->Time->HiRange, 500);
}

TEST_F(ViewFixture, AutoScaleTogetherGivesOneRangePerUnit)
{
    auto& a = r->Channel(0);
    auto& b = r->Channel(1);
    b.Decimals = 2;
    for (int i = 0; i < 1000; ++i) {
        a.Values[static_cast<std::size_t>(i)] = 100 + i % 50; // 10.0 .. 14.9 bar
        b.Values[static_cast<std::size_t>(i)] = 2000 + i % 7; // 20.00 .. 20.06 bar
    }
    v.ScaleTogether = true;
    v.AutoScale();
    EXPECT_DOUBLE_EQ(RawToFloat(a.CurrentLoRange, 1), RawToFloat(b.CurrentLoRange, 2));
    EXPECT_DOUBLE_EQ(RawToFloat(a.CurrentHiRange, 1), RawToFloat(b.CurrentHiRange, 2));
    // A common range above 300.00 is cut at 30000 raw units for 2 decimals.
    a.Values[5] = 5000;
    v.AutoScale();
    EXPECT_EQ(b.CurrentHiRange, 30000);
    v.ScaleTogether = false;
    v.AutoScale();
    EXPECT_LE(b.CurrentHiRange - b.CurrentLoRange, 100);
}

TEST_F(ViewFixture, SettingsClampAndRoundTrip)
{
    TIniList ini;
    ini.SelectSection("ScaleSettings");
    ini.WriteInt("ScaleRaster", 9);
    ini.SelectSection("RemarkPreSettings");
    ini.WriteInt("FontSize", 100);
    v.LoadSettings(ini);
    EXPECT_EQ(v.ScaleRaster, 4);
    EXPECT_EQ(v.FontSize, 60);
    v.ScaleTogether = true;
    v.SaveSettings(ini);
    TGraphicView w;
    w.LoadSettings(ini);
    EXPECT_TRUE(w.ScaleTogether);
    EXPECT_EQ(w.FontSize, 60);
}

TEST_F(ViewFixture, SnapshotsSaveUnnamedAndDeletingTheShownOneForgetsIt)
{
    SaveSnapshot(*r, "  ", "first");
    EXPECT_EQ(r->SnapshotCamera.Items(0).Name, "Unnamed");
    SaveSnapshot(*r, " two ", "second");
    SaveSnapshot(*r, "three", "third");
    EXPECT_EQ(r->SnapshotCamera.Items(1).Name, "two");
    TSnapshotListLogic list(*r, &v);
    EXPECT_EQ(list.Select(1, ""), "second");
    // The memo of the shown entry is stored, then the entry goes; the next
    // selection must not write into it (nor into its successor).
    const int next = list.DeleteSelected({1}, "edited");
    EXPECT_EQ(next, 1);
    EXPECT_EQ(list.Shown(), -1);
    EXPECT_EQ(list.Select(next, "stale memo"), "third");
    EXPECT_EQ(r->SnapshotCamera.Items(1).Description, "third");
    EXPECT_EQ(r->SnapshotCamera.Items(0).Description, "first");
    // Deleting the last entries selects the last one left.
    EXPECT_EQ(list.DeleteSelected({1}, "x"), 0);
    EXPECT_EQ(list.DeleteSelected({0}, ""), -1);
}

TEST_F(ViewFixture, TextKeysFollowTheRanges)
{
    const std::string k = v.VerticalAxisKey(0);
    v.Zoom(0.5, 0, 1, 0);
    EXPECT_NE(v.VerticalAxisKey(0), k);
    EXPECT_EQ(v.VerticalAxisKey(-1), "");
    EXPECT_EQ(v.AxesLayoutKey(), "-1|1|0|0|0");
}

TEST_F(ViewFixture, ShiftedTimeAxisTitleStartsWithStar)
{
    r->Time->TimeUnit = "s";
    EXPECT_EQ(HorizontalTitle(v, -1), "Time [s]");
    r->Channel(1).TimeShift = 5;
    v.SetShiftMode();
    EXPECT_EQ(HorizontalTitle(v, -1), "*Time [s]");
}

TEST_F(ViewFixture, CaliperReadoutIsTheSameInBothDirections)
{
    v.ActiveTool = toolCaliper;
    v.MeasureShown = true;
    v.SetToolPoints(60, 10, 20, 40);
    const TReadout a = AxisReadout(v, -1, true);
    v.SetToolPoints(20, 10, 60, 40);
    const TReadout b = AxisReadout(v, -1, true);
    EXPECT_EQ(a.Text, b.Text);
    EXPECT_EQ(a.BarFrom, 20);
    EXPECT_EQ(a.BarTo, 60);
    EXPECT_EQ(a.Pos, 40);
    EXPECT_EQ(a.Text, v.AxisSpanText(-1, 0.4)); // 40 % of the window
    const TReadout y = AxisReadout(v, 0, false);
    EXPECT_EQ(y.Text, RawToText(300, 1));
}

TEST_F(ViewFixture, DeltaTrackerDifferenceWithAChannelAsXAxisIsATime)
{
    v.Cursor1 = 100;
    v.Cursor2 = 350;
    r->Time->TimeUnit = "s";
    const std::string span = r->Time->RelativeSpanToText(0.25) + " s";
    EXPECT_EQ(TrackerDiffText(v), span);
    // With channel 1 as X axis the cursors' pixels lie on its value scale;
    // the difference still is the time between the two samples.
    r->XAxisIndex = 1;
    EXPECT_EQ(TrackerDiffText(v), span);
}

TEST(Labels, PlacementAndHashes)
{
    EXPECT_EQ(PlaceHorizontalLabel(0, 20, 200), 3);
    EXPECT_EQ(PlaceHorizontalLabel(200, 20, 200), 178);
    EXPECT_EQ(PlaceVerticalLabel(0, 12, 300), 1);
    EXPECT_EQ(PlaceVerticalLabel(300, 12, 300), 287);
    EXPECT_EQ(FitLabel("123456", 20, kChars), "###");
    EXPECT_EQ(FitLabel("12", 20, kChars), "12");
}

TEST(Labels, CrowdedHorizontalLabelsKeepBothEndsAndNeverOverlap)
{
    // Room for all: every label.
    EXPECT_EQ(ShownHorizontalLabels({{3, 20}, {50, 20}, {100, 20}}), (std::vector<std::size_t>{0, 1, 2}));
    // Each label runs into the next: every second is left out, and the last
    // one (pushed left by the strip's edge) replaces the one before it.
    EXPECT_EQ(ShownHorizontalLabels({{3, 40}, {30, 40}, {60, 40}, {90, 40}, {110, 40}}),
              (std::vector<std::size_t>{0, 2, 4}));
    EXPECT_EQ(ShownHorizontalLabels({{3, 40}, {30, 40}, {60, 40}, {120, 40}, {150, 40}}),
              (std::vector<std::size_t>{0, 2, 4}));
    // Two labels that overlap: the origin's stays.
    EXPECT_EQ(ShownHorizontalLabels({{3, 60}, {20, 60}}), (std::vector<std::size_t>{0}));
    EXPECT_TRUE(ShownHorizontalLabels({}).empty());
}

TEST(Legend, TimeItemSitsAtTheBottomUnlessTheChannelsFillTheColumn)
{
    auto r = graphtest::MakeRecording(3, 100);
    TGraphicView v;
    r->Channel(1).Visible = false;
    v.SetRecording(r.get());
    EXPECT_EQ(LegendItemHeight(v, 1, 10), 14);
    auto tops = LegendLayout(v, 10, 500);
    EXPECT_EQ(tops, (std::vector<int>{476, 0, 24, 38}));
    tops = LegendLayout(v, 10, 50);
    EXPECT_EQ(tops[0], 62);
    // By item heights: the same rule.
    EXPECT_EQ(LegendLayout(std::vector<int>{24, 24, 14, 24}, 500), (std::vector<int>{476, 0, 24, 38}));
    EXPECT_EQ(LegendLayout(std::vector<int>{34, 24}, 30), (std::vector<int>{24, 0}));
    // A range line too wide for the column breaks after " ..".
    const TTextMeasure chars = [](const std::string& s) { return static_cast<int>(s.size()); };
    const auto whole = LegendRangeLines(v, 0, chars, 1000);
    ASSERT_EQ(whole.size(), 1u);
    const auto split = LegendRangeLines(v, 0, chars, static_cast<int>(whole[0].size()) - 1);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0] + " " + split[1], whole[0]);
}

TEST(Render, PolylineBreaksAtNoValueAndClips)
{
    auto r = graphtest::MakeRecording(1, 11);
    auto& ch = r->Channel(0);
    ch.Style = 0;
    for (int i = 0; i < 11; ++i)
        ch.Values[static_cast<std::size_t>(i)] = 500;
    ch.Values[5] = NoValue;
    ch.Values[10] = 3000; // far above the plot
    TGraphicView v;
    v.SetRecording(r.get());
    r->Time->SetRange(0, 10);
    v.SetSize(101, 101, nullptr);
    std::vector<TSegment> lines, markers;
    ChannelPolyline(v, 0, lines, markers);
    ASSERT_EQ(lines.size(), 8u); // 0-1..3-4, 6-7..9-10
    EXPECT_EQ(lines[0], (TSegment{0, 50, 10, 50}));
    EXPECT_EQ(lines[7].Y2, 0); // clipped at the top edge
    EXPECT_TRUE(markers.empty());
    TSegment s{50, -60, -60, 50}; // above → left, not crossing the plot
    EXPECT_FALSE(ClipSegment(s, 100, 100));
}

TEST(Render, ColumnStrokesReachOverToTheNeighbour)
{
    auto r = graphtest::MakeRecording(1, 4);
    auto& ch = r->Channel(0);
    TColumns cols(3);
    cols[0] = {100, 200};
    cols[1] = {600, 700};
    const auto s = ColumnStrokes(ch, cols, 100, 101);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0], (TSegment{0, 80, 0, 90}));
    EXPECT_EQ(s[1], (TSegment{1, 30, 1, 80})); // reaches down to column 0's top
}
