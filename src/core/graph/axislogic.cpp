#include "core/graph/axislogic.h"

#include <algorithm>
#include <cstdlib>

namespace vro::graph {

std::vector<TTick> HorizontalTicks(const TCommonView& view, int axis)
{
    std::vector<TTick> t;
    const int d = std::max(view.XDivisions, 1);
    for (int i = 0; i <= d; ++i)
        t.push_back({static_cast<int>(std::int64_t(i) * view.XExtent / d),
                     view.AxisValueText(axis, static_cast<double>(i) / d)});
    return t;
}

std::vector<TTick> VerticalTicks(const TCommonView& view, int channel)
{
    std::vector<TTick> t;
    if (channel < 0)
        return t;
    const int d = std::max(view.YDivisions, 1);
    for (int i = 0; i <= d; ++i)
        t.push_back({static_cast<int>(view.YExtent - std::int64_t(i) * view.YExtent / d),
                     view.AxisValueText(channel, static_cast<double>(i) / d)});
    return t;
}

std::string HorizontalTitle(const TCommonView& view, int axis) { return view.ShiftMark() + view.AxisTitle(axis); }

int PlaceHorizontalLabel(int x, int w, int stripWidth)
{
    int left = x - w / 2;
    left = std::max(left, 3);
    left = std::min(left, stripWidth - w - 2);
    return left;
}

int PlaceVerticalLabel(int y, int textHeight, int stripHeight)
{
    int top = y - textHeight / 2;
    if (top <= 0)
        top = 1;
    return std::min(top, stripHeight - textHeight - 1);
}

std::vector<std::size_t> ShownHorizontalLabels(const std::vector<TLabelBox>& boxes)
{
    // At least a few pixels between two labels.
    const auto collides = [&](std::size_t a, std::size_t b) {
        return boxes[b].Left < boxes[a].Left + boxes[a].Width + 4;
    };
    std::vector<std::size_t> kept;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const bool last = k + 1 == boxes.size();
        while (last && kept.size() > 1 && collides(kept.back(), k))
            kept.pop_back();
        if (kept.empty() || !collides(kept.back(), k))
            kept.push_back(k);
    }
    return kept;
}

TLabelColumn VerticalLabelColumn(bool leftAxis, int stripWidth, int textHeight)
{
    if (leftAxis)
        return {textHeight + 4, stripWidth - 2};
    return {2, stripWidth - textHeight - 4};
}

std::string FitLabel(const std::string& text, int width, const TTextMeasure& measure)
{
    if (measure(text) <= width)
        return text;
    std::string h;
    while (measure(h + "#") <= width)
        h += '#';
    return h;
}

TReadout AxisReadout(const TGraphicView& view, int axis, bool horizontal)
{
    TReadout r;
    if (!view.MeasureShown || !view.Recording || (!horizontal && axis < 0))
        return r;
    r.Shown = true;
    const double W = view.XExtent, H = view.YExtent;
    switch (view.ActiveTool) {
    case toolTracker:
        r.Pos = horizontal ? view.SampleToX(view.Cursor1) : view.SampleToY(axis, view.Cursor1);
        r.Text = view.SampleText(axis, view.Cursor1);
        break;
    case toolCaliper:
    case toolDeltaTracker: {
        int a, b;
        if (view.ActiveTool == toolCaliper) {
            a = horizontal ? view.X1 : view.Y1;
            b = horizontal ? view.X2 : view.Y2;
        } else {
            a = horizontal ? view.SampleToX(view.Cursor1) : view.SampleToY(axis, view.Cursor1);
            b = horizontal ? view.SampleToX(view.Cursor2) : view.SampleToY(axis, view.Cursor2);
        }
        if (a == NoValue || b == NoValue) {
            r.Shown = false;
            return r;
        }
        r.Bar = true;
        r.BarFrom = std::min(a, b);
        r.BarTo = std::max(a, b);
        r.Text = view.AxisSpanText(axis, std::abs(static_cast<double>(a) - b) / (horizontal ? W : H));
        r.Pos = static_cast<int>((std::int64_t(a) + b) / 2);
        break;
    }
    default:
        r.Pos = horizontal ? view.X1 : view.Y1;
        r.Text = horizontal ? view.AxisValueText(axis, view.X1 / W) : view.AxisValueText(axis, 1 - view.Y1 / H);
        break;
    }
    if (r.Pos == NoValue)
        r.Shown = false;
    return r;
}

bool LegendItemVisible(const TCommonView& view, int axis)
{
    if (!view.Recording || axis < 0 || axis >= view.Recording->ChannelCount)
        return true;
    return view.Recording->Channel(axis).Visible;
}

std::string LegendLine1(const TCommonView& view, int axis) { return view.AxisName(axis); }

std::string LegendLine2(const TCommonView& view, int axis)
{
    return view.AxisValueText(axis, 0) + " .. " + view.AxisValueText(axis, 1) + " " + view.AxisUnit(axis);
}

int LegendItemHeight(const TCommonView& view, int axis, int textHeight)
{
    return LegendItemVisible(view, axis) ? 2 * textHeight + 4 : textHeight + 4;
}

std::vector<int> LegendLayout(const TCommonView& view, int textHeight, int columnHeight)
{
    std::vector<int> tops(1, 0);
    int y = 0;
    const int n = view.Recording ? view.Recording->ChannelCount : 0;
    for (int c = 0; c < n; ++c) {
        tops.push_back(y);
        y += LegendItemHeight(view, c, textHeight);
    }
    tops[0] = std::max(y, columnHeight - LegendItemHeight(view, -1, textHeight));
    return tops;
}

std::vector<int> LegendLayout(const std::vector<int>& heights, int columnHeight)
{
    std::vector<int> tops(heights.empty() ? 0 : 1, 0);
    int y = 0;
    for (std::size_t k = 1; k < heights.size(); ++k) {
        tops.push_back(y);
        y += heights[k];
    }
    if (!heights.empty())
        tops[0] = std::max(y, columnHeight - heights[0]);
    return tops;
}

std::vector<std::string> LegendRangeLines(const TCommonView& view, int axis, const TTextMeasure& measure, int width)
{
    const std::string line = LegendLine2(view, axis);
    if (!measure || measure(line) <= width)
        return {line};
    return {view.AxisValueText(axis, 0) + " ..", view.AxisValueText(axis, 1) + " " + view.AxisUnit(axis)};
}

int VerticalAxisWidth(const TCommonView& view, int channel, const TTextMeasure& measure, int textHeight)
{
    if (channel < 0)
        return 15;
    return view.AxisLabelWidth(channel, measure) + textHeight + measure("00") + 6;
}

std::string TrackerTimeText(const TCommonView& view, std::int32_t i)
{
    return view.SampleText(-1, i) + " " + view.AxisUnit(-1);
}

std::string TrackerDiffText(const TGraphicView& view)
{
    const TRecording* r = view.Recording;
    if (!r || !r->Time)
        return {};
    const std::string unit = " " + view.AxisUnit(-1);
    if (r->XAxisIndex < 0) {
        const std::int32_t xa = view.SampleToX(view.Cursor1), xb = view.SampleToX(view.Cursor2);
        if (xa == NoValue || xb == NoValue)
            return {};
        return view.AxisSpanText(-1, std::abs(static_cast<double>(xa) - xb) / view.XExtent) + unit;
    }
    const auto& t = *r->Time;
    const double fa = t.TimeToRelative(t.GetTime(view.Cursor1));
    const double fb = t.TimeToRelative(t.GetTime(view.Cursor2));
    return t.RelativeSpanToText(std::abs(fa - fb)) + unit;
}

} // namespace vro::graph
