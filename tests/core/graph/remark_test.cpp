// Remarks on the screen view: placement, position arithmetic, hit tests,
// the tool's mouse paths, the editor and the list.
#include "core/graph/remarks.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "graph_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

using namespace vro;
using namespace vro::graph;

namespace {

// Two channels of 1000 samples (value i at sample i, ranges 0..1000) on a
// plot of W = 400 by H = 100: sample i lies at x = 0.4 i, y = 100 - i / 10.
struct RemarkFixture : ::testing::Test {
    std::unique_ptr<TRecording> r = graphtest::MakeRecording(2, 1000);
    TGraphicView v;
    void SetUp() override
    {
        // Values 0..999 raw over 0..1000: every sample lies inside the plot.
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 1000; ++i)
                r->Channel(c).Values[static_cast<std::size_t>(i)] = i;
        v.SetRecording(r.get());
        v.SetSize(401, 101, nullptr);
        r->Saved = true;
    }
    TRemarkData Anchored(std::int32_t sample, int channel = 0)
    {
        TRemarkData m;
        m.RemarkId = r->NewRemarkId();
        m.XAxisIndex = -1;
        m.IsAnchored = true;
        m.AnchorChannel = channel;
        m.AnchorIndex = sample;
        m.XPosition = 0;
        m.YPosition = 1000; // level with the anchor
        m.BoxWidth = 100;
        m.FontSize = 8;
        m.Comment = "%T: %V";
        return m;
    }
    TRemarkData Free(std::int32_t xp, std::int32_t yp)
    {
        TRemarkData m;
        m.RemarkId = r->NewRemarkId();
        m.XAxisIndex = -1;
        m.XPosition = xp;
        m.YPosition = yp;
        m.BoxWidth = 100;
        m.FontSize = 8;
        m.Comment = "free";
        return m;
    }
    // What the graph control does on a paint: the frame becomes BoxRect.
    void Draw(int textHeight = 20)
    {
        for (int i = 0; i < v.RemarkCount(); ++i) {
            const auto p = PlaceRemark(v, r->Remarks[static_cast<std::size_t>(i)]);
            if (p.Drawn)
                v.SetRemarkRect(i, RemarkFrame(p, textHeight));
        }
    }
    std::string Unit() const { return " " + v.AxisUnit(-1); }
};

} // namespace

TEST_F(RemarkFixture, ShownTextReplacesExactPlaceholdersOfAnchoredRemarksOnly)
{
    TRemarkData m = Anchored(500);
    m.Comment = "%V / %V %t %T";
    const std::string value = v.SampleText(0, 500) + " bar";
    EXPECT_EQ(value, RawToText(500, 1) + " bar");
    EXPECT_EQ(RemarkShownText(v, m), value + " / " + value + " %t " + v.SampleText(-1, 500) + Unit());
    m.IsAnchored = false;
    EXPECT_EQ(RemarkShownText(v, m), "%V / %V %t %T");
    // Time shifted: "%T" is the stored sample's time, "%V" the value where
    // the stored sample is shown (sample 510), which is the stored one's.
    r->TimeShiftActive = true;
    r->Channel(0).TimeShift = 10;
    m.IsAnchored = true;
    EXPECT_EQ(v.SampleText(0, 510) + " bar", value);
    EXPECT_EQ(RemarkShownText(v, m), value + " / " + value + " %t " + v.SampleText(-1, 500) + Unit());
}

TEST_F(RemarkFixture, PositionPointRoundsHalvesToEvenAndRoundTrips)
{
    TRemarkData m = Free(0, 0);
    v.SetRemarkPosition(m, 5, 50);
    EXPECT_EQ(m.XPosition, 12); // 12.5
    EXPECT_EQ(m.YPosition, 500);
    v.SetRemarkPosition(m, 15, 0);
    EXPECT_EQ(m.XPosition, 38); // 37.5
    EXPECT_EQ(m.YPosition, 1000);
    for (int x : {0, 7, 200, 399, 400, -30, 450})
        for (int y : {0, 13, 50, 100, -8}) {
            v.SetRemarkPosition(m, x, y);
            const auto p = PlaceRemark(v, m);
            EXPECT_EQ(p.Px, x);
            EXPECT_EQ(p.Py, y);
        }
    // Anchored: an offset from the anchor point (200, 50) that round-trips too.
    TRemarkData a = Anchored(500);
    const auto anchor = RemarkAnchorPoint(v, a);
    ASSERT_TRUE(anchor);
    EXPECT_EQ(*anchor, (TPoint{200, 50}));
    v.SetRemarkPosition(a, 260, 30);
    EXPECT_EQ(a.XPosition, 150);
    EXPECT_EQ(a.YPosition, 1200);
    const auto p = PlaceRemark(v, a);
    EXPECT_EQ(p.Px, 260);
    EXPECT_EQ(p.Py, 30);
}

TEST_F(RemarkFixture, StoredValuesAreHeldForDrawingOnly)
{
    TRemarkData m = Free(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min());
    m.FontSize = 0;
    m.BoxWidth = -7;
    const auto p = PlaceRemark(v, m);
    EXPECT_TRUE(p.Drawn);
    EXPECT_EQ(p.FontSize, 6);
    EXPECT_GE(p.WrapWidth, 1);
    EXPECT_EQ(p.Px, 1 << 29);
    EXPECT_LE(std::abs(p.Py), 1 << 29);
    EXPECT_LT(RemarkFrame(p, 1000).Right, std::numeric_limits<int>::max());
    EXPECT_EQ(m.FontSize, 0);
    m.FontSize = 99;
    EXPECT_EQ(PlaceRemark(v, m).FontSize, 60);
}

TEST_F(RemarkFixture, DrawConditions)
{
    TRemarkData m = Anchored(500);
    EXPECT_TRUE(RemarkShown(v, m));
    r->Channel(0).Visible = false;
    EXPECT_FALSE(RemarkShown(v, m));
    r->Channel(0).Visible = true;
    r->Channel(0).Values[500] = NoValue;
    EXPECT_FALSE(RemarkShown(v, m)); // no anchor point: left out
    m.AnchorChannel = 7;
    EXPECT_FALSE(RemarkShown(v, m));
    m = Free(500, 500);
    m.Visible = false;
    EXPECT_FALSE(RemarkShown(v, m));
    m.Visible = true;
    r->XAxisIndex = 1; // X-Y mode: time-mode remarks are not drawn
    EXPECT_FALSE(RemarkShown(v, m));
}

TEST_F(RemarkFixture, FrameLeaderAndGripGeometry)
{
    TRemarkPlacement p;
    p.Px = 100;
    p.Py = 40;
    p.BoxWidth = 100;
    EXPECT_EQ(RemarkTextRect(p, 12), (TRect{104, 40, 204, 52}));
    const TRect f = RemarkFrame(p, 12);
    EXPECT_EQ(f, (TRect{100, 36, 208, 56}));
    EXPECT_EQ(LeaderCorner(f, {154, 46}), (TPoint{100, 36})); // the middle counts as left and top
    EXPECT_EQ(LeaderCorner(f, {155, 47}), (TPoint{208, 56}));
    EXPECT_EQ(GripRect(f), (TRect{188, 41, 208, 56}));
    EXPECT_EQ(AnchorSquare({5, 6}), (TRect{3, 4, 7, 8}));
    EXPECT_EQ(RemarkColor(static_cast<std::int32_t>(0xFF0080FFu)), (TRgb{255, 128, 0}));
}

TEST_F(RemarkFixture, MoveRemarkAnchorKeepsTheBox)
{
    r->Remarks.push_back(Anchored(500));
    v.SetRemarkPosition(r->Remarks[0], 300, 20);
    const auto before = PlaceRemark(v, r->Remarks[0]);
    ASSERT_TRUE(v.ValidAnchorTarget(r->Remarks[0], 100));
    v.MoveRemarkAnchor(0, 100);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 250);
    const auto after = PlaceRemark(v, r->Remarks[0]);
    EXPECT_EQ(after.Ax, 100);
    EXPECT_EQ(after.Px, before.Px);
    EXPECT_EQ(after.Py, before.Py);
    EXPECT_FALSE(r->Saved);
    v.MoveRemarkAnchor(5, 100); // no such remark: nothing
}

TEST_F(RemarkFixture, ValidAnchorTargetsLieStrictlyInsideThePlot)
{
    TRemarkData m = Anchored(500);
    r->Channel(0).Values[0] = 0;      // y = H
    r->Channel(0).Values[250] = 1000; // y = 0
    r->Channel(0).Values[500] = NoValue;
    EXPECT_FALSE(v.ValidAnchorTarget(m, 0));
    EXPECT_FALSE(v.ValidAnchorTarget(m, 100));
    EXPECT_FALSE(v.ValidAnchorTarget(m, 200));
    EXPECT_TRUE(v.ValidAnchorTarget(m, 300));
    m.AnchorChannel = -1;
    EXPECT_FALSE(v.ValidAnchorTarget(m, 300));
}

TEST_F(RemarkFixture, HitTestsTryAnchorThenBoxRemarkByRemark)
{
    r->Remarks.push_back(Free(500, 500)); // frame (200, 46)..(308, 74)
    r->Remarks.push_back(Anchored(600));  // anchor (240, 40)
    v.SetRemarkPosition(r->Remarks[1], 240, 48);
    Draw();
    bool onAnchor = true;
    EXPECT_EQ(v.RemarkHitTest(250, 60, onAnchor), 0);
    EXPECT_FALSE(onAnchor);
    EXPECT_EQ(v.RemarkHitTest(243, 43, onAnchor), 1); // outside remark 0's frame
    EXPECT_TRUE(onAnchor);
    EXPECT_EQ(v.RemarkHitTest(245, 40, onAnchor), -1); // |dx| = 5
    r->Remarks.insert(r->Remarks.begin(), Anchored(600));
    Draw();
    EXPECT_EQ(v.RemarkHitTest(240, 44, onAnchor), 0); // the first remark's anchor wins
    EXPECT_TRUE(onAnchor);
    EXPECT_TRUE(v.RemarkGripHit(1, 288, 59));
    EXPECT_FALSE(v.RemarkGripHit(1, 303, 59));
    EXPECT_TRUE(v.RemarkResizeHit(1, 303, 47));
    r->Remarks[1].Visible = false;
    EXPECT_FALSE(v.RemarkBoxHit(1, 250, 60));
}

TEST_F(RemarkFixture, ToolOpensTheEditorOnEmptyPlotAndRefusesTheHundredFirst)
{
    TRemarkToolLogic t(v);
    auto a = t.MouseMove(50, 50);
    EXPECT_EQ(a.Cursor, TRemarkCursor::Remark);
    a = t.MouseDown(50, 50);
    EXPECT_TRUE(a.OpenEditor);
    EXPECT_EQ(a.EditIndex, -1);
    EXPECT_EQ(a.EditX, 50);
    EXPECT_EQ(a.EditY, 50);
    t.EditorClosed(false);
    EXPECT_FALSE(t.Pressed);

    for (int i = 0; i < kMaxRemarks; ++i)
        r->Remarks.push_back(Free(0, 0));
    t.MouseMove(350, 10);
    a = t.MouseDown(350, 10);
    EXPECT_FALSE(a.OpenEditor);
    EXPECT_EQ(a.ErrorText, 261);
    EXPECT_FALSE(t.Pressed);
}

TEST_F(RemarkFixture, ToolMovesABoxAndDiscardsAReleaseOutside)
{
    r->Remarks.push_back(Free(500, 500));
    Draw(); // frame (200, 46)..(308, 74)
    TRemarkToolLogic t(v);
    auto a = t.MouseMove(220, 55);
    EXPECT_EQ(a.Cursor, TRemarkCursor::Hand);
    EXPECT_TRUE(t.BoxHot);
    EXPECT_TRUE(a.Repaint);
    ASSERT_TRUE(t.HotFrame());
    t.MouseDown(220, 55);
    EXPECT_TRUE(t.OverlayShown);
    t.MouseMove(120, 35);
    EXPECT_EQ(*t.MoveOutline(), (TRect{100, 26, 208, 54}));
    a = t.MouseUp(120, 35);
    EXPECT_TRUE(a.Repaint);
    // New frame top left (100, 26): position point (100, 30).
    EXPECT_EQ(r->Remarks[0].XPosition, 250);
    EXPECT_EQ(r->Remarks[0].YPosition, 700);
    EXPECT_FALSE(r->Saved);
    EXPECT_FALSE(t.Pressed);
    EXPECT_FALSE(t.OverlayShown);

    Draw();
    const auto stored = r->Remarks[0];
    t.MouseMove(120, 35);
    t.MouseDown(120, 35);
    t.MouseMove(500, 35); // outside the plot
    t.MouseUp(500, 35);
    EXPECT_EQ(r->Remarks[0], stored);
}

TEST_F(RemarkFixture, ToolResizesWithAFloorOfThirtyPixels)
{
    r->Remarks.push_back(Free(500, 500));
    Draw(); // frame right edge 308
    TRemarkToolLogic t(v);
    auto a = t.MouseMove(306, 50);
    EXPECT_EQ(a.Cursor, TRemarkCursor::SizeWE);
    t.MouseDown(306, 50);
    EXPECT_EQ(t.GrabDX, 2);
    t.MouseMove(350, 50);
    EXPECT_EQ(*t.WidthOutline(), (TRect{200, 46, 352, 74}));
    t.MouseUp(350, 50);
    EXPECT_EQ(r->Remarks[0].BoxWidth, 144); // frame right = 352
    Draw();
    t.MouseMove(350, 50);
    t.MouseDown(350, 50);
    t.MouseMove(205, 50);
    EXPECT_EQ(t.MouseX, 230);
    t.MouseUp(205, 50);
    EXPECT_EQ(r->Remarks[0].BoxWidth, 22);
}

TEST_F(RemarkFixture, ToolReanchorsOnlyToAValidTarget)
{
    r->Remarks.push_back(Anchored(500)); // anchor (200, 50)
    v.SetRemarkPosition(r->Remarks[0], 300, 20);
    Draw();
    TRemarkToolLogic t(v);
    t.MouseMove(201, 51);
    EXPECT_TRUE(t.OnAnchor);
    EXPECT_TRUE(t.AnchorHot);
    EXPECT_EQ(*t.AnchorHighlight(), (TRect{195, 45, 205, 55}));
    t.MouseDown(201, 51);
    EXPECT_TRUE(t.DraggingAnchor);
    EXPECT_FALSE(t.AnchorHot);
    t.MouseMove(100, 60);
    const auto marker = t.DragMarker();
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->Target, (TPoint{100, 75}));
    t.MouseUp(100, 60);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 250);

    // Invalid: no value at the target sample.
    r->Channel(0).Values[750] = NoValue;
    Draw();
    t.MouseMove(100, 75);
    ASSERT_TRUE(t.OnAnchor);
    t.MouseDown(100, 75);
    t.MouseMove(300, 60);
    EXPECT_FALSE(t.DragMarker());
    t.MouseUp(300, 60);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 250);
}

TEST_F(RemarkFixture, GripOpensTheEditorAtTheBoxPointAndForgetsTheIndexAfter)
{
    r->Remarks.push_back(Free(500, 500));
    Draw(); // frame (200, 46)..(308, 74); grip (288, 59)..(308, 74)
    TRemarkToolLogic t(v);
    auto a = t.MouseMove(290, 60);
    EXPECT_EQ(a.Cursor, TRemarkCursor::HandPoint);
    EXPECT_TRUE(t.GripHot);
    a = t.MouseDown(290, 60);
    EXPECT_TRUE(a.OpenEditor);
    EXPECT_EQ(a.EditIndex, 0);
    EXPECT_EQ(a.EditX, 200);
    EXPECT_EQ(a.EditY, 50); // the position point: the box stays
    EXPECT_FALSE(t.BoxHot);
    v.DeleteRemark(0); // the editor deleted it
    t.EditorClosed(true);
    EXPECT_EQ(t.HotIndex, -1);
    EXPECT_EQ(t.LastHotIndex, -1);
    EXPECT_FALSE(t.HotFrame());
    EXPECT_FALSE(t.Pressed);
}

TEST_F(RemarkFixture, LeaveAndForeignPaintsClearTheHighlights)
{
    r->Remarks.push_back(Free(500, 500));
    Draw();
    TRemarkToolLogic t(v);
    t.MouseMove(290, 60);
    auto a = t.Leave();
    EXPECT_TRUE(a.Repaint);
    EXPECT_FALSE(t.BoxHot);
    EXPECT_FALSE(t.GripHot);
    t.MouseMove(220, 50);
    t.PaintedByOthers();
    EXPECT_FALSE(t.HotFrame());
    t.MouseMove(220, 51); // the next move brings it back
    EXPECT_TRUE(t.HotFrame());
}

TEST_F(RemarkFixture, EditorDefaultsInTimeModeXYModeAndWithoutVisibleChannels)
{
    v.FontSize = 14;
    v.IsBold = true;
    v.FontColor = 0x0000FF;
    const std::int32_t before = r->LastRemarkId;
    {
        TRemarkEditorLogic e(v, -1, 100, 50);
        EXPECT_EQ(e.Copy().RemarkId, before + 1);
        EXPECT_TRUE(e.AnchorBox);
        EXPECT_TRUE(e.AnchorBoxEnabled);
        EXPECT_TRUE(e.ChannelListEnabled);
        EXPECT_EQ(e.Text, "%T: %V");
        EXPECT_EQ(e.Copy().AnchorIndex, 250);
        EXPECT_EQ(e.Copy().BoxWidth, 100);
        EXPECT_EQ(e.SizeText, "14");
        EXPECT_TRUE(e.Bold);
        EXPECT_EQ(e.Color, 0x0000FF);
        EXPECT_EQ(e.Selected, 0);
        EXPECT_TRUE(e.Channels[0].Checked);
        EXPECT_EQ(e.ValueLine(), v.SampleText(-1, 250) + Unit() + ": " + RawToText(250, 1) + " bar");
    }
    EXPECT_EQ(r->LastRemarkId, before + 1); // used up though cancelled
    r->XAxisIndex = 0;
    {
        TRemarkEditorLogic e(v, -1, 100, 50);
        EXPECT_FALSE(e.AnchorBoxEnabled);
        EXPECT_FALSE(e.Copy().IsAnchored);
        EXPECT_FALSE(e.Channels[0].Enabled); // the X-axis channel
        EXPECT_TRUE(e.Channels[1].Enabled);
        EXPECT_EQ(e.Text, "");
    }
    r->XAxisIndex = -1;
    r->Channel(0).Visible = r->Channel(1).Visible = false;
    {
        TRemarkEditorLogic e(v, -1, 100, 50);
        EXPECT_FALSE(e.AnchorBoxEnabled);
        EXPECT_FALSE(e.Channels[0].Enabled || e.Channels[1].Enabled);
        EXPECT_EQ(e.Text, "");
        EXPECT_EQ(e.FirstEnabled(), -1);
    }
}

TEST_F(RemarkFixture, EditorKeepsExactlyOneChannelCheckedAndTheAnchorRule)
{
    TRemarkEditorLogic e(v, -1, 100, 50);
    e.CheckChannel(1, true);
    EXPECT_FALSE(e.Channels[0].Checked);
    EXPECT_TRUE(e.Channels[1].Checked);
    e.CheckChannel(1, false);
    EXPECT_TRUE(e.Channels[1].Checked);
    e.SetAnchorBox(false);
    EXPECT_EQ(e.Text, "");
    EXPECT_FALSE(e.ChannelListEnabled);
    e.Text = "mine";
    e.SetAnchorBox(true);
    EXPECT_EQ(e.Text, "mine");
    e.Text.clear();
    e.SetAnchorBox(true);
    EXPECT_EQ(e.Text, "%T: %V");
}

TEST_F(RemarkFixture, EditorChecksInOrder)
{
    r->Channel(0).Values[250] = NoValue;
    TRemarkEditorLogic e(v, -1, 100, 50);
    e.Text = " \r\n\t";
    e.SizeText = "5";
    EXPECT_EQ(e.Ok(), 259);
    r->Channel(0).Values[250] = 2000; // above the current range
    EXPECT_EQ(e.Ok(), 260);
    r->Channel(0).Values[250] = 250;
    EXPECT_EQ(e.Ok(), 255);
    e.Text = "x";
    e.Channels[0].Checked = e.Channels[1].Checked = false;
    EXPECT_EQ(e.Ok(), 256);
    e.Channels[0].Checked = true;
    EXPECT_EQ(e.Ok(), 257);
    e.SizeText = "61";
    EXPECT_EQ(e.Ok(), 258);
    e.SizeText = "abc";
    EXPECT_EQ(e.Ok(), 257);
    EXPECT_EQ(v.RemarkCount(), 0);
    e.SizeText = " 60 ";
    EXPECT_EQ(e.Ok(), 0);
    ASSERT_EQ(v.RemarkCount(), 1);
    EXPECT_EQ(r->Remarks[0].FontSize, 60);
    EXPECT_FALSE(r->Saved);
}

TEST_F(RemarkFixture, EditorStoresTheOffsetAndTypedLineBreaksAsCrLf)
{
    TRemarkEditorLogic e(v, -1, 300, 20);
    e.Text = "a\nb";
    e.Italic = e.Underline = true;
    e.Color = static_cast<std::int32_t>(0x80FF0000u);
    ASSERT_EQ(e.Ok(), 0);
    const TRemarkData& m = r->Remarks[0];
    EXPECT_EQ(m.Comment, "a\r\nb");
    EXPECT_TRUE(m.IsAnchored);
    EXPECT_EQ(m.AnchorChannel, 0);
    EXPECT_EQ(m.AnchorIndex, 750);
    // Anchor (300, 25): the offset (0, -5).
    EXPECT_EQ(m.XPosition, 0);
    EXPECT_EQ(m.YPosition, 1050);
    EXPECT_EQ(m.FontColor, static_cast<std::int32_t>(0x80FF0000u));
    EXPECT_TRUE(m.IsItalic && m.IsUnderlined);

    // An untouched text stays byte for byte (a lone LF included).
    r->Remarks[0].Comment = "x\ny\r\nz";
    TRemarkEditorLogic again(v, 0, -1, -1);
    EXPECT_EQ(again.Text, "x\ny\nz");
    ASSERT_EQ(again.Ok(), 0);
    EXPECT_EQ(r->Remarks[0].Comment, "x\ny\r\nz");
}

TEST_F(RemarkFixture, EditorFromTheListKeepsTheBoxWhenTheAnchoringChanges)
{
    r->Remarks.push_back(Anchored(500));
    v.SetRemarkPosition(r->Remarks[0], 300, 20);
    TRemarkEditorLogic e(v, 0, -1, -1);
    e.SetAnchorBox(false);
    e.Text = "now free";
    ASSERT_EQ(e.Ok(), 0);
    EXPECT_FALSE(r->Remarks[0].IsAnchored);
    const auto p = PlaceRemark(v, r->Remarks[0]);
    EXPECT_EQ(p.Px, 300);
    EXPECT_EQ(p.Py, 20);
}

TEST_F(RemarkFixture, EditorWithShiftedChannelsKeepsTheShownSample)
{
    r->TimeShiftActive = true;
    r->Channel(0).TimeShift = 10;
    r->Channel(1).TimeShift = -20;
    r->Remarks.push_back(Anchored(500)); // shown at sample 510
    TRemarkEditorLogic e(v, 0, -1, -1);
    EXPECT_EQ(e.ValueLine(), v.SampleText(-1, 510) + Unit() + ": " + RawToText(500, 1) + " bar");
    e.CheckChannel(1, true);
    ASSERT_EQ(e.Ok(), 0);
    EXPECT_EQ(r->Remarks[0].AnchorChannel, 1);
    EXPECT_EQ(r->GetRemarkIndex(r->Remarks[0]), 510);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 530);
}

TEST_F(RemarkFixture, EditorDeleteAndDefaultLabel)
{
    r->Remarks.push_back(Free(10, 10));
    TRemarkEditorLogic e(v, 0, -1, -1);
    EXPECT_FALSE(e.IsNew());
    e.SizeText = "abc";
    e.Bold = true;
    e.Color = 0x00FF00;
    e.SetDefault();
    EXPECT_EQ(v.FontSize, 8);
    EXPECT_TRUE(v.IsBold);
    EXPECT_EQ(v.FontColor, 0x00FF00);
    e.SizeText = "99";
    e.SetDefault();
    EXPECT_EQ(v.FontSize, 60);
    e.Delete();
    EXPECT_EQ(v.RemarkCount(), 0);
    EXPECT_FALSE(r->Saved);
}

TEST_F(RemarkFixture, ListRowsPlaceholderAndCheckMarks)
{
    TRemarkListLogic empty(v);
    EXPECT_TRUE(empty.Placeholder());
    EXPECT_EQ(empty.RowCount(), 1);
    EXPECT_FALSE(empty.EditVisible());
    EXPECT_EQ(empty.Row(0).Text, text(271));
    EXPECT_FALSE(empty.BeginEdit());

    r->Remarks.push_back(Free(-15, 0));
    r->Remarks.push_back(Free(500, 500));
    r->Remarks.push_back(Anchored(500, 1));
    r->Remarks.push_back(Anchored(500, 9)); // names no channel
    TRemarkListLogic l(v);
    EXPECT_EQ(l.Selected, 0);
    const auto row0 = l.Row(0);
    EXPECT_EQ(row0.Number, "0");
    EXPECT_EQ(row0.XAxis, v.AxisName(-1));
    EXPECT_EQ(row0.Anchor, "-");
    EXPECT_EQ(row0.Position, "-1 %");
    EXPECT_EQ(l.Row(1).Position, "50 %");
    EXPECT_EQ(l.Row(2).Anchor, "Channel 1");
    EXPECT_EQ(l.Row(2).Position, v.SampleText(-1, 500) + Unit());
    EXPECT_EQ(l.Row(2).Text, "%T: %V");
    EXPECT_EQ(l.Row(3).Anchor, "-");

    l.Checks[1] = false;
    l.Selected = 1;
    EXPECT_TRUE(l.BeginEdit());
    EXPECT_FALSE(r->Remarks[1].Visible);
    EXPECT_FALSE(r->Saved);
}
