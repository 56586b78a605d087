// What the axes, the legend and the tool windows show, without drawing:
// tick positions and texts, label placement inside a strip, the "#" rule
// for labels that do not fit, the tool readouts on each axis, the legend
// lines and item height, the legend column layout and the tracker window's
// time texts.
#pragma once

#include <string>
#include <vector>

#include "core/graph/graphview.h"

namespace vro::graph {

struct TTick {
    int Pos = 0;
    std::string Text;
    bool operator==(const TTick&) const = default;
};

// Ticks of the horizontal axis (x relative to the plot) or of a vertical
// axis (y in the plot), one per division end.
std::vector<TTick> HorizontalTicks(const TCommonView& view, int axis);
std::vector<TTick> VerticalTicks(const TCommonView& view, int channel);
// The horizontal axis title ("*" first when time shifts apply).
std::string HorizontalTitle(const TCommonView& view, int axis);

// Left edge of a horizontal label of width w centred at x in a strip of
// stripWidth: at least 3, ending at least 2 pixels before the right edge.
int PlaceHorizontalLabel(int x, int w, int stripWidth);
// Which of the horizontal labels (left edge, width; in tick order) are
// drawn: a label that would run into the one before it is left out, the
// labels of both ends are kept first. Indices in tick order.
struct TLabelBox {
    int Left = 0, Width = 0;
};
std::vector<std::size_t> ShownHorizontalLabels(const std::vector<TLabelBox>& boxes);
// Top of a vertical label centred at y in a strip of stripHeight.
int PlaceVerticalLabel(int y, int textHeight, int stripHeight);
// The label column of a vertical axis strip.
struct TLabelColumn {
    int L = 0, R = 0;
};
TLabelColumn VerticalLabelColumn(bool leftAxis, int stripWidth, int textHeight);
// A text wider than `width` becomes as many "#" as fit.
std::string FitLabel(const std::string& text, int width, const TTextMeasure& measure);

// The readout an axis shows while a measurement is on screen.
struct TReadout {
    bool Shown = false;
    int Pos = 0; // x in the plot (horizontal) or y (vertical)
    std::string Text;
    bool Bar = false; // caliper: a bar over the measured interval
    int BarFrom = 0, BarTo = 0;
};
TReadout AxisReadout(const TGraphicView& view, int axis, bool horizontal);

// Legend item: its two lines and height.
std::string LegendLine1(const TCommonView& view, int axis);
std::string LegendLine2(const TCommonView& view, int axis);
bool LegendItemVisible(const TCommonView& view, int axis);
int LegendItemHeight(const TCommonView& view, int axis, int textHeight);
// Tops of the legend items: entry 0 the time item, then the channels.
std::vector<int> LegendLayout(const TCommonView& view, int textHeight, int columnHeight);
// The same for items of the given heights (entry 0 the time item).
std::vector<int> LegendLayout(const std::vector<int>& heights, int columnHeight);
// The range line of a visible legend item as it is laid out in a column of
// `width` pixels: one line when it fits, else broken after " .." into two
// (long date-and-time ranges), so that it is shown whole.
std::vector<std::string> LegendRangeLines(const TCommonView& view, int axis, const TTextMeasure& measure, int width);

// Width of a vertical axis strip for a channel (15 for none).
int VerticalAxisWidth(const TCommonView& view, int channel, const TTextMeasure& measure, int textHeight);

// Tracker window texts.
std::string TrackerTimeText(const TCommonView& view, std::int32_t i);
// The difference of the two cursors: the pixel span on the time axis; with
// a channel as X axis the time between the two cursors' samples (a channel
// span would carry the wrong unit).
std::string TrackerDiffText(const TGraphicView& view);

} // namespace vro::graph
