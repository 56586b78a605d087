// Drawing the plot: background, the 10 × 10 grid, each channel as a
// polyline clipped to the plot or, with many more samples than pixel
// columns, as one vertical stroke per column, and the min/max envelopes.
//
// The renderer issues plain drawing calls to a TGraphCanvas, so the same
// code draws the screen bitmap, a printer page or a test image. Coordinates
// are plot pixels (0..W, 0..H); the canvas maps them onto its target.
// Lines include both end points.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/graph/graphview.h"
#include "core/util/numeric.h"

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

// The sample counts of the W columns over the window, one after the other:
// span = last - first, base = span div W, the rest spread by the
// accumulator rule.
class TColumnSplit {
public:
    TColumnSplit(std::int32_t first, std::int32_t last, std::int32_t w)
        : w_(std::max(w, 1)), span_(std::max<std::int64_t>(std::int64_t(last) - first, 0)), base_(span_ / w_),
          rest_(span_ % w_)
    {}
    std::int32_t Next()
    {
        std::int64_t n = base_;
        acc_ += rest_;
        if (acc_ > w_) {
            ++n;
            acc_ -= w_;
        }
        return static_cast<std::int32_t>(n);
    }

private:
    std::int64_t w_, span_, base_, rest_, acc_ = 0;
};
std::vector<std::int32_t> ColumnCounts(std::int32_t first, std::int32_t last, std::int32_t w);

// Column extremes of one array (values, or min / max values) of a channel,
// time-shifted as GetValue reads it. `pyramid` may be null (plain pass).
// Either way the result is that of the plain pass over the samples; with
// `same` (pyramid only) each extreme may differ from it within one step of
// the quantizer, which is all a drawing needs; with `want` one end only.
TColumns ChannelColumns(const TRecordingSensorWrapper& channel, const TSensorValues& array, std::int32_t first,
                        std::int32_t last, std::int32_t w, const TMinMaxPyramid* pyramid,
                        const TQuantizer* same = nullptr, TMinMaxPyramid::EWant want = TMinMaxPyramid::EWant::Both);
void ChannelColumns(const TRecordingSensorWrapper& channel, const TSensorValues& array, std::int32_t first,
                    std::int32_t last, std::int32_t w, const TMinMaxPyramid* pyramid, TColumns& out,
                    const TQuantizer* same = nullptr, TMinMaxPyramid::EWant want = TMinMaxPyramid::EWant::Both);

// Round half to even, as RoundHalfEven, for |x| <= 2^50 (larger values are
// held there first): adding and taking away 1.5 × 2^52 leaves the rounded
// value in the default rounding mode, without a library call.
inline double RoundEvenBounded(double x)
{
    constexpr double kLimit = 1125899906842624.0; // 2^50
    constexpr double kMagic = 6755399441055744.0; // 1.5 × 2^52
    x = std::clamp(x, -kLimit, kLimit);
    return (x + kMagic) - kMagic;
}

// A channel's current range as the pixel mappings use it: its low end and
// its span (1 for an empty or reversed range, so nothing divides by 0).
struct TRangeScale {
    explicit TRangeScale(const TRecordingSensorWrapper& channel)
        : Low(channel.CurrentLoRange),
          Span(static_cast<double>(channel.CurrentHiRange) - static_cast<double>(channel.CurrentLoRange))
    {
        if (!(Span > 0))
            Span = 1.0;
    }
    double Low, Span;
};

// The pixel rows of the column drawing (ColumnStrokes) and of the envelope
// strokes, as quantizers.
class TColumnRows : public TQuantizer {
public:
    // The row of a value: h + round(-f × h), f = (raw - low) / span of the
    // channel's current range (as ValueToRelative has it), computed here
    // inline because a redraw asks for it some hundred thousand times.
    TColumnRows(const TRecordingSensorWrapper& channel, std::int32_t h) : range_(channel), h_(h) {}
    std::int32_t Row(std::int32_t raw) const
    {
        const double f = (static_cast<double>(raw) - range_.Low) / range_.Span;
        // Far outside the plot (a narrow range, or a value far off it) the
        // row is held at ±2^29: still beyond every edge, and no conversion
        // of a double too large for an integer.
        constexpr double kFar = 1 << 29;
        return h_ + static_cast<std::int32_t>(std::clamp(RoundEvenBounded(-f * h_), -kFar, kFar));
    }
    bool Same(std::int32_t a, std::int32_t b) const override { return Row(a) == Row(b); }

private:
    TRangeScale range_;
    std::int32_t h_;
};
// The envelope's rows are ScaleValue(raw, 0, H): the same rounded term
// (before ScaleValue's clamping to 32 bits, which can only merge rows)
// means the same row.
class TEnvelopeRows : public TQuantizer {
public:
    TEnvelopeRows(const TRecordingSensorWrapper& channel, std::int32_t h) : range_(channel), h_(h) {}
    double Term(std::int32_t raw) const
    {
        return RoundEvenBounded((static_cast<double>(raw) - range_.Low) * h_ / range_.Span);
    }
    bool Same(std::int32_t a, std::int32_t b) const override { return Term(a) == Term(b); }

private:
    TRangeScale range_;
    double h_;
};

// The vertical strokes of the column drawing (x, top, x, bottom) for the
// column extremes, each reaching over to its neighbour's range.
std::vector<TSegment> ColumnStrokes(const TRecordingSensorWrapper& channel, const TColumns& columns, std::int32_t h,
                                    std::int32_t controlHeight);
void ColumnStrokes(const TRecordingSensorWrapper& channel, const TColumns& columns, std::int32_t h,
                   std::int32_t controlHeight, std::vector<TSegment>& out);

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
    // Whether the envelopes are drawn one stroke per column.
    static bool EnvelopeUsesColumns(const TCommonView& view);

private:
    // The column extremes of a channel's values, or of its minima (lowest
    // only) or maxima (highest only), for the current window: safe on any
    // thread while the view and the pyramid stay as they are.
    static void ValueColumns(const TCommonView& view, int channel, const TMinMaxPyramid& pyramid, TColumns& out);
    static void EnvelopeColumns(const TCommonView& view, int channel, const TMinMaxPyramid& pyramid, bool high,
                                TColumns& out);
    static void DrawColumns(const TCommonView& view, int channel, const TColumns& columns, TGraphCanvas& canvas);
    static void DrawEnvelopeColumns(const TCommonView& view, int channel, const TColumns& low, const TColumns& high,
                                    TGraphCanvas& canvas);
};

} // namespace vro::graph
