#include "core/graph/graphrender.h"

#include <algorithm>
#include <cmath>

#include "core/util/numeric.h"
#include "core/values/vro8utils.h"

namespace vro::graph {

namespace {

std::int32_t RoundY(double v) { return static_cast<std::int32_t>(RoundHalfEven(v)); }

// Working arrays of a redraw, kept from one redraw to the next so that a
// redraw allocates nothing once the sizes are known: a fresh allocation of
// these sizes each time costs page faults that outweigh the drawing.
struct TScratch {
    TColumns Columns, Low, High;
    std::vector<TSegment> Lines, Markers;
    // The column extremes of a whole redraw, computed ahead on the view's
    // workers: per draw-list entry its values, lowest minima, highest maxima.
    std::vector<TColumns> Ahead;
};

TScratch& Scratch()
{
    thread_local TScratch scratch;
    return scratch;
}

// One envelope stroke at x: a vertical line from the high row to the low
// row with short ticks at its ends, cut to the control's height.
void EnvelopeStroke(std::vector<TSegment>& lines, std::int32_t x, std::int32_t yLow, std::int32_t yHigh,
                    std::int32_t controlH)
{
    if (yLow == NoValue || yHigh == NoValue || yHigh >= controlH || yLow < 0)
        return;
    if (yHigh < 0)
        yHigh = 0;
    else
        lines.push_back({x - 3, yHigh, x + 3, yHigh});
    if (yLow < controlH)
        lines.push_back({x - 3, yLow, x + 3, yLow});
    else
        yLow = controlH - 1;
    lines.push_back({x, yHigh, x, yLow});
}

} // namespace

std::vector<std::int32_t> ColumnCounts(std::int32_t first, std::int32_t last, std::int32_t w)
{
    std::vector<std::int32_t> k;
    if (w <= 0)
        return k;
    k.reserve(static_cast<std::size_t>(w));
    TColumnSplit split(first, last, w);
    for (std::int32_t c = 0; c < w; ++c)
        k.push_back(split.Next());
    return k;
}

void ChannelColumns(const TRecordingSensorWrapper& channel, const TSensorValues& array, std::int32_t first,
                    std::int32_t last, std::int32_t w, const TMinMaxPyramid* pyramid, TColumns& out,
                    const TQuantizer* same, TMinMaxPyramid::EWant want)
{
    out.assign(static_cast<std::size_t>(std::max(w, 0)), TMinMax{});
    const TRecording& owner = channel.Owner();
    // GetValue moves the index back by the shift; its bounds come from the
    // value array when shifted, else from the array itself.
    const bool shifted = channel.TimeShift != 0 && owner.TimeShiftActive;
    const std::int64_t shift = shifted ? channel.TimeShift : 0;
    const std::int64_t size = shifted ? std::min(channel.Values.size(), array.size()) : array.size();
    const std::span<const std::int32_t> data(array.data(), static_cast<std::size_t>(size));
    TColumnSplit split(first, last, w);
    // With several blocks to a column a query reads the memory next to the
    // column boundaries, far apart: asking for the boundary a few columns
    // ahead overlaps these waits instead of taking them one after the other.
    constexpr int kAhead = 8;
    const bool sparse =
        pyramid && std::int64_t(last) - first >= std::int64_t(2) * TMinMaxPyramid::BlockSize * std::max(w, 1);
    TColumnSplit ahead(first, last, w);
    std::int64_t next = first - shift;
    auto prefetch = [&] {
        next += ahead.Next();
        pyramid->Prefetch(data, next);
    };
    if (sparse)
        for (int k = 0; k < kAhead; ++k)
            prefetch();
    std::int64_t i = first;
    for (std::size_t c = 0; c < out.size(); ++c) {
        if (sparse)
            prefetch();
        const std::int32_t n = split.Next();
        const std::int64_t a = std::max<std::int64_t>(i - shift, 0);
        const std::int64_t b = std::min<std::int64_t>(i + n - shift, size);
        if (a < b)
            out[c] = pyramid ? pyramid->Query(data, a, b, same, want) : PlainMinMax(data, a, b);
        i += n;
    }
}

TColumns ChannelColumns(const TRecordingSensorWrapper& channel, const TSensorValues& array, std::int32_t first,
                        std::int32_t last, std::int32_t w, const TMinMaxPyramid* pyramid, const TQuantizer* same,
                        TMinMaxPyramid::EWant want)
{
    TColumns out;
    ChannelColumns(channel, array, first, last, w, pyramid, out, same, want);
    return out;
}

void ColumnStrokes(const TRecordingSensorWrapper& ch, const TColumns& columns, std::int32_t h,
                   std::int32_t controlHeight, std::vector<TSegment>& s)
{
    s.clear();
    s.reserve(columns.size());
    const TColumnRows rows(ch, h); // y = H + round(-f × H), f relative to the current range
    std::int32_t prevLow = controlHeight, prevHigh = -1;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const TMinMax& m = columns[c];
        if (m.Empty()) {
            prevLow = controlHeight;
            prevHigh = -1;
            continue;
        }
        const std::int32_t yMin = rows.Row(m.Min);
        const std::int32_t yMax = rows.Row(m.Max);
        std::int32_t top = std::min(yMax, prevLow);
        std::int32_t bottom = std::max(yMin, prevHigh);
        bottom = std::min(bottom, controlHeight - 1);
        top = std::max(top, 0);
        if (top <= bottom)
            s.push_back({static_cast<std::int32_t>(c), top, static_cast<std::int32_t>(c), bottom});
        prevLow = yMin;
        prevHigh = yMax;
    }
}

std::vector<TSegment> ColumnStrokes(const TRecordingSensorWrapper& ch, const TColumns& columns, std::int32_t h,
                                    std::int32_t controlHeight)
{
    std::vector<TSegment> s;
    ColumnStrokes(ch, columns, h, controlHeight, s);
    return s;
}

int Outcode(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
{
    if (x == NoValue || y == NoValue)
        return 16;
    return (x < 0 ? 8 : 0) + (x > w ? 2 : 0) + (y < 0 ? 1 : 0) + (y > h ? 4 : 0);
}

namespace {

// Border point of outside point A towards B: top, left, bottom, right.
bool BorderPoint(std::int32_t ax, std::int32_t ay, std::int32_t bx, std::int32_t by, int code, std::int32_t w,
                 std::int32_t h, std::int32_t& px, std::int32_t& py)
{
    const double dx = static_cast<double>(bx) - ax, dy = static_cast<double>(by) - ay;
    if ((code & 1) && dy != 0) {
        const double x = bx + RoundHalfEven(-static_cast<double>(by) * dx / dy);
        if (x >= 0 && x <= w) {
            px = static_cast<std::int32_t>(x), py = 0;
            return true;
        }
    }
    if ((code & 8) && dx != 0) {
        const double y = by + RoundHalfEven(-static_cast<double>(bx) * dy / dx);
        if (y >= 0 && y <= h) {
            px = 0, py = static_cast<std::int32_t>(y);
            return true;
        }
    }
    if ((code & 4) && dy != 0) {
        const double x = bx + RoundHalfEven((static_cast<double>(h) - by) * dx / dy);
        if (x >= 0 && x <= w) {
            px = static_cast<std::int32_t>(x), py = h;
            return true;
        }
    }
    if ((code & 2) && dx != 0) {
        const double y = by + RoundHalfEven((static_cast<double>(w) - bx) * dy / dx);
        if (y >= 0 && y <= h) {
            px = w, py = static_cast<std::int32_t>(y);
            return true;
        }
    }
    return false;
}

} // namespace

bool ClipSegment(TSegment& s, std::int32_t w, std::int32_t h)
{
    const int cq = Outcode(s.X1, s.Y1, w, h), cp = Outcode(s.X2, s.Y2, w, h);
    if (cq == 16 || cp == 16)
        return false;
    if (cq == 0 && cp == 0)
        return true;
    if (cq == 0)
        return BorderPoint(s.X2, s.Y2, s.X1, s.Y1, cp, w, h, s.X2, s.Y2);
    if (cp == 0)
        return BorderPoint(s.X1, s.Y1, s.X2, s.Y2, cq, w, h, s.X1, s.Y1);
    if (cq & cp)
        return false;
    TSegment r = s;
    if (!BorderPoint(s.X1, s.Y1, s.X2, s.Y2, cq, w, h, r.X1, r.Y1))
        return false;
    if (!BorderPoint(s.X2, s.Y2, s.X1, s.Y1, cp, w, h, r.X2, r.Y2))
        return false;
    s = r;
    return true;
}

void ChannelPolyline(const TCommonView& view, int channel, std::vector<TSegment>& lines, std::vector<TSegment>& markers)
{
    const TRecording* r = view.Recording;
    if (!r || !r->Time)
        return;
    const int style = view.ChannelStyle(channel);
    const std::int32_t w = view.XExtent, h = view.YExtent;
    const std::int32_t first = r->Time->FirstIndex, last = r->Time->LastIndex;
    bool havePrev = false;
    std::int32_t qx = 0, qy = 0;
    for (std::int32_t i = first; i <= last; ++i) {
        const std::int32_t x = view.SampleToX(i), y = view.SampleToY(channel, i);
        if (style != 0 && Outcode(x, y, w, h) == 0)
            markers.push_back({x - 2, y - 2, x + 2, y + 2});
        if (havePrev && style != 1) {
            TSegment s{qx, qy, x, y};
            if (ClipSegment(s, w, h))
                lines.push_back(s);
        }
        qx = x, qy = y;
        havePrev = true;
    }
}

bool TGraphRenderer::UsesColumns(const TCommonView& view, int channel)
{
    const TRecording* r = view.Recording;
    return r && r->Time && !r->HasTimeStamps && r->XAxisIndex < 0 && view.ChannelStyle(channel) == 0 &&
           std::int64_t(r->Time->LastIndex) - r->Time->FirstIndex > view.XExtent;
}

void TGraphRenderer::DrawBackground(const TCommonView& view, TGraphCanvas& canvas) const
{
    const std::int32_t w = view.XExtent, h = view.YExtent;
    canvas.FillRect(0, 0, w, h, kPlotBackground);
    std::vector<TSegment> grid;
    for (int i = 0; i <= 10; ++i) {
        const std::int32_t x = RoundY(i * static_cast<double>(w) / 10);
        grid.push_back({x, 0, x, h});
    }
    for (int i = 0; i <= 10; ++i) {
        const std::int32_t y = h + RoundY(-i * static_cast<double>(h) / 10);
        grid.push_back({0, y, w, y});
    }
    canvas.Lines(grid, kGridColor);
}

void TGraphRenderer::DrawChannel(const TCommonView& view, int channel, TGraphCanvas& canvas) const
{
    const TRecording* r = view.Recording;
    if (!r || channel < 0 || channel >= r->ChannelCount)
        return;
    const auto& ch = r->Channel(channel);
    const TRgb color = view.ChannelColor(channel);
    TScratch& w = Scratch();
    if (UsesColumns(view, channel)) {
        ValueColumns(view, channel, view.Pyramids().For(channel * 3, ch.Values), w.Columns);
        DrawColumns(view, channel, w.Columns, canvas);
        return;
    }
    w.Lines.clear();
    w.Markers.clear();
    ChannelPolyline(view, channel, w.Lines, w.Markers);
    canvas.Lines(w.Lines, color);
    canvas.Markers(w.Markers, color);
}

void TGraphRenderer::DrawEnvelope(const TCommonView& view, int channel, TGraphCanvas& canvas) const
{
    const TRecording* r = view.Recording;
    if (!r || !r->HasMinMaxValues || channel < 0 || channel >= r->ChannelCount)
        return;
    const auto& ch = r->Channel(channel);
    const std::int32_t controlW = view.XExtent + 1, controlH = view.YExtent + 1;
    TScratch& w = Scratch();
    if (EnvelopeUsesColumns(view)) {
        EnvelopeColumns(view, channel, view.Pyramids().For(channel * 3 + 1, ch.MinValues), false, w.Low);
        EnvelopeColumns(view, channel, view.Pyramids().For(channel * 3 + 2, ch.MaxValues), true, w.High);
        DrawEnvelopeColumns(view, channel, w.Low, w.High, canvas);
        return;
    }
    std::vector<TSegment>& lines = w.Lines;
    lines.clear();
    const std::int32_t first = r->Time->FirstIndex, last = r->Time->LastIndex;
    for (std::int32_t i = first; i <= last; ++i) {
        const std::int32_t x = view.SampleToX(i);
        if (x == NoValue || x < 0 || x > controlW - 1)
            continue;
        EnvelopeStroke(lines, x, view.MinToY(channel, i), view.MaxToY(channel, i), controlH);
    }
    canvas.Lines(lines, view.ChannelColor(channel));
}

void TGraphRenderer::ValueColumns(const TCommonView& view, int channel, const TMinMaxPyramid& pyramid, TColumns& out)
{
    const TRecording& r = *view.Recording;
    const auto& ch = r.Channel(channel);
    const TColumnRows rows(ch, view.YExtent);
    ChannelColumns(ch, ch.Values, r.Time->FirstIndex, r.Time->LastIndex, view.XExtent, &pyramid, out, &rows);
}

void TGraphRenderer::EnvelopeColumns(const TCommonView& view, int channel, const TMinMaxPyramid& pyramid, bool high,
                                     TColumns& out)
{
    const TRecording& r = *view.Recording;
    const auto& ch = r.Channel(channel);
    const TEnvelopeRows rows(ch, view.YExtent);
    // Only the lowest minimum and the highest maximum are drawn.
    ChannelColumns(ch, high ? ch.MaxValues : ch.MinValues, r.Time->FirstIndex, r.Time->LastIndex, view.XExtent,
                   &pyramid, out, &rows, high ? TMinMaxPyramid::EWant::Max : TMinMaxPyramid::EWant::Min);
}

void TGraphRenderer::DrawColumns(const TCommonView& view, int channel, const TColumns& columns, TGraphCanvas& canvas)
{
    TScratch& w = Scratch();
    ColumnStrokes(view.Recording->Channel(channel), columns, view.YExtent, view.YExtent + 1, w.Lines);
    canvas.Lines(w.Lines, view.ChannelColor(channel));
}

void TGraphRenderer::DrawEnvelopeColumns(const TCommonView& view, int channel, const TColumns& low,
                                         const TColumns& high, TGraphCanvas& canvas)
{
    // Many samples per column: one stroke per column from the lowest
    // minimum to the highest maximum of its samples.
    const auto& ch = view.Recording->Channel(channel);
    const std::int32_t controlH = view.YExtent + 1;
    std::vector<TSegment>& lines = Scratch().Lines;
    lines.clear();
    lines.reserve(3 * low.size());
    for (std::size_t c = 0; c < low.size() && c < high.size(); ++c) {
        if (low[c].Empty() || high[c].Empty())
            continue;
        const std::int32_t yl = ch.ScaleValue(low[c].Min, 0, view.YExtent);
        const std::int32_t yh = ch.ScaleValue(high[c].Max, 0, view.YExtent);
        EnvelopeStroke(lines, static_cast<std::int32_t>(c), view.YExtent - yl, view.YExtent - yh, controlH);
    }
    canvas.Lines(lines, view.ChannelColor(channel));
}

bool TGraphRenderer::EnvelopeUsesColumns(const TCommonView& view)
{
    const TRecording* r = view.Recording;
    return r && r->Time && !r->HasTimeStamps && r->XAxisIndex < 0 &&
           std::int64_t(r->Time->LastIndex) - r->Time->FirstIndex > view.XExtent;
}

void TGraphRenderer::Draw(const TCommonView& view, TGraphCanvas& canvas) const
{
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(500);
    DrawBackground(view, canvas);
    const TRecording* r = view.Recording;
    const int x = view.XAxisIndex();
    auto drawn = [&](std::size_t k) {
        const int n = view.DrawList[k];
        return n != x && r && n >= 0 && n < r->ChannelCount;
    };
    auto enveloped = [&](std::size_t k) {
        return k < view.EnvelopeList.size() && view.EnvelopeList[k] && r->HasMinMaxValues;
    };

    // The column extremes of every array drawn as columns, computed ahead
    // on the view's workers (the channels are independent); the pyramids
    // are found or built here first, on this thread, since the cache is
    // not for several threads. The drawing then goes on this thread, in
    // the channels' order, so that the picture is the same for any number
    // of workers.
    struct TJob {
        int Channel, Array; // 0 values, 1 minima, 2 maxima
        const TMinMaxPyramid* Pyramid;
    };
    std::vector<TJob> jobs;
    std::vector<int> firstJob(view.DrawList.size(), -1);
    const bool envelopeColumns = EnvelopeUsesColumns(view);
    for (std::size_t k = 0; k < view.DrawList.size(); ++k) {
        if (!drawn(k))
            continue;
        const int n = view.DrawList[k];
        const auto& ch = r->Channel(n);
        firstJob[k] = static_cast<int>(jobs.size());
        if (UsesColumns(view, n))
            jobs.push_back({n, 0, &view.Pyramids().For(n * 3, ch.Values)});
        if (envelopeColumns && enveloped(k)) {
            jobs.push_back({n, 1, &view.Pyramids().For(n * 3 + 1, ch.MinValues)});
            jobs.push_back({n, 2, &view.Pyramids().For(n * 3 + 2, ch.MaxValues)});
        }
    }
    TScratch& w = Scratch();
    if (w.Ahead.size() < jobs.size())
        w.Ahead.resize(jobs.size());
    TColumns* ahead = w.Ahead.data();
    view.Workers().Run(jobs.size(), [&](std::size_t i) {
        const TJob& j = jobs[i];
        if (j.Array == 0)
            ValueColumns(view, j.Channel, *j.Pyramid, ahead[i]);
        else
            EnvelopeColumns(view, j.Channel, *j.Pyramid, j.Array == 2, ahead[i]);
    });

    for (std::size_t k = 0; k < view.DrawList.size(); ++k) {
        if (!drawn(k))
            continue;
        const int n = view.DrawList[k];
        std::size_t next = static_cast<std::size_t>(firstJob[k]);
        if (UsesColumns(view, n))
            DrawColumns(view, n, ahead[next++], canvas);
        else
            DrawChannel(view, n, canvas);
        if (enveloped(k)) {
            if (envelopeColumns)
                DrawEnvelopeColumns(view, n, ahead[next], ahead[next + 1], canvas);
            else
                DrawEnvelope(view, n, canvas);
        }
        if (OnProgress && Clock::now() > deadline) {
            OnProgress();
            deadline = Clock::now() + std::chrono::milliseconds(500);
        }
    }
}

} // namespace vro::graph
