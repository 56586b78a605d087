// Drawing the plot: background, the 10 × 10 grid, each channel as a
// polyline clipped to the plot or, with many more samples than pixel
// columns, as one vertical stroke per column, and the min/max envelopes.
//
// The renderer issues plain drawing calls to a TGraphCanvas, so the same
// code draws the screen bitmap, a printer page or a test image. Coordinates
// are plot pixels (0..W, 0..H); the canvas maps them onto its target.
// Lines include both end points.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/graph/graphview.h"

namespace vro::graph {

struct TSegment {
    std::int32_t X1, Y1, X2, Y2;
    bool operator==(const TSegment&) const = default;
};

class TGraphCanvas {
public:
    virtual ~TGraphCanvas() = default;
    // Filled rectangle, corners included.
    virtual void FillRect(int left, int top, int right, int bottom, TRgb color) = 0;
    // 1-pixel solid lines, both ends drawn.
    virtual void Lines(std::span<const TSegment> lines, TRgb color) = 0;
    // 5 × 5 markers: outline in `color`, inside in the plot background; each
    // rectangle given by its top-left corner.
    virtual void Markers(std::span<const TSegment> topLefts, TRgb color) = 0;
};

// One column's extremes (empty when the column holds no value).
using TColumns = std::vector<TMinMax>;

// The sample counts of the W columns over the window: span = last - first,
// base = span div W, the rest spread by the accumulator rule.
std::vector<std::int32_t> ColumnCounts(std::int32_t first, std::int32_t last, std::int32_t w);

// Column extremes of one array (values, or min / max values) of a channel,
// time-shifted as GetValue reads it. `pyramid` may be null (plain pass).
// With `blockAligned` (envelopes only) the column boundaries move to the
// nearest 64-sample block boundary when a column holds several blocks, so
// that only the pyramid is read, never the samples themselves.
TColumns ChannelColumns(const TRecordingSensorWrapper& channel, const TSensorValues& array, std::int32_t first,
                        std::int32_t last, std::int32_t w, const TMinMaxPyramid* pyramid,
                        bool blockAligned = false);

// The vertical strokes of the column drawing (x, top, x, bottom) for the
// column extremes, each reaching over to its neighbour's range.
std::vector<TSegment> ColumnStrokes(const TRecordingSensorWrapper& channel, const TColumns& columns,
                                    std::int32_t h, std::int32_t controlHeight);

// The outcode of a point against 0..W × 0..H (16 for no value).
int Outcode(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
// The segment P→Q clipped to the plot; false when nothing is drawn.
bool ClipSegment(TSegment& s, std::int32_t w, std::int32_t h);

// The polyline of a channel (segments after clipping) and its markers.
void ChannelPolyline(const TCommonView& view, int channel, std::vector<TSegment>& lines,
                     std::vector<TSegment>& markers);

class TGraphRenderer {
public:
    // Called when a redraw has run for 500 ms since the last call, so that
    // the caller can show the picture so far.
    std::function<void()> OnProgress;

    // The whole plot for the view (its W and H): background, grid and every
    // channel of the draw list but the X-axis channel, with envelopes.
    void Draw(const TCommonView& view, TGraphCanvas& canvas) const;
    void DrawBackground(const TCommonView& view, TGraphCanvas& canvas) const;
    void DrawChannel(const TCommonView& view, int channel, TGraphCanvas& canvas) const;
    void DrawEnvelope(const TCommonView& view, int channel, TGraphCanvas& canvas) const;
    // Whether a channel is drawn as column strokes.
    static bool UsesColumns(const TCommonView& view, int channel);
};

} // namespace vro::graph
