// The real-time frame's drawing model, free of any window system: which
// display columns hold samples of the running measurement, the curves as
// 1-pixel segments and markers on a TGraphCanvas, the axis boxes with their
// labels, and the event-log page as lines of text. The frame only draws
// what this returns (texts with its own font), the benchmark and `vro device
// online --columns` use the same code.
//
// Reading: every value comes from the online object's accessors, which are
// safe while the worker writes; a column being filled may show. Callers draw
// curves and the event page only while the run is live (TOnlineRun::Live).
#pragma once

#include "core/graph/graphrender.h"
#include "device/live/onlinerun.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vro {

// The columns with samples of this run, oldest first: Count columns from
// Oldest (modulo the display width); Newest is the column of the newest
// sample (open while it collects, when there are more samples than columns).
struct TOnlineColumnSpan {
    int Oldest = 0;
    int Count = 0;
    int Newest = -1;
    int Width = 1; // the display width W the columns belong to
};
TOnlineColumnSpan OnlineColumnSpan(const TVro8OnlineRecording& o);

// One column's extremes (the open newest column from RunMin/RunMax).
std::pair<std::int32_t, std::int32_t> OnlineColumnValue(const TVro8OnlineRecording& o, int channel, int column,
                                                        const TOnlineColumnSpan& span);
// A channel's columns as the frame draws them, oldest first ([min, max]).
std::vector<std::pair<std::int32_t, std::int32_t>> OnlineColumns(const TVro8OnlineRecording& o, int channel);

// Plot row of a value in a range over `height` rows (0 at the top), halves
// to even, kept within -1 .. height so that a value outside still shows as
// an edge stroke.
int OnlineValueRow(std::int32_t value, std::int32_t lo, std::int32_t hi, int height);
// Plot column the same way over `width` columns (0 at the left).
int OnlineValueColumn(std::int32_t value, std::int32_t lo, std::int32_t hi, int width);

// Background, grid and (when `live`) the curves of the shown channels into
// a graph of width × height pixels.
inline constexpr graph::TRgb kOnlineBackground{0xF0, 0xF0, 0xF0};
inline constexpr graph::TRgb kOnlineGrid{0xC0, 0xC0, 0xC0};
void PaintOnlineGraph(const TVro8OnlineRecording& o, const TOnlineDisplaySettings& s, graph::TGraphCanvas& canvas,
                      int width, int height, bool live);
// The colour of real-time channel i (the channel colour table, i mod 10).
graph::TRgb OnlineChannelColor(int channel);

// ---- axes ----
struct TOnlineLabel {
    int Pos = 0; // y for Y boxes, x (from the graph's left) for the X box
    std::string Text;
};
struct TOnlineAxisBox {
    int Channel = -1; // -1: the empty 15-pixel box
    int Left = 0;     // within its strip
    int Width = 80;
    std::string Title; // name [unit]
    std::vector<TOnlineLabel> Labels;
};
struct TOnlineAxes {
    std::vector<TOnlineAxisBox> Left, Right;
    int LeftStrip = 15, RightStrip = 15; // full widths of the box strips
    int LeftShown = 15, RightShown = 15; // widths on screen (strips scroll when narrower)
    int GraphLeft = 15, GraphWidth = 1;
    std::string XTitle;
    std::vector<TOnlineLabel> XLabels;
    bool TimeAxis = true;
};
inline constexpr int kOnlineAxisBox = 80;
inline constexpr int kOnlineEmptyBox = 15;
// 10 labels when 13 label widths fit into the graph width, else 5 when 8
// fit, else 2 when 4 fit, else 1.
int OnlineXLabelCount(int graphWidth, int labelWidth);
// The boxes, labels and graph placement for a frame of frameWidth pixels
// and a graph of graphHeight rows. textWidth measures a label in pixels.
TOnlineAxes OnlineAxes(const TOnlineRun& run, int frameWidth, int graphHeight,
                       const std::function<int(const std::string&)>& textWidth);

// ---- event-log page (type 2) ----
struct TEventLogLine {
    std::string Text;
    bool Bold = false;
    int GapAfter = 5; // pixels below the line
};
std::vector<TEventLogLine> EventLogLines(const TOnlineRun& run);
// The top of every line that fits (two line heights plus 20 pixels above
// the bottom edge), from y = 10.
std::vector<int> EventLogLayout(const std::vector<TEventLogLine>& lines, int lineHeight, int height);

} // namespace vro
