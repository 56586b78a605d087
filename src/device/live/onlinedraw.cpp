#include "device/live/onlinedraw.h"

#include "core/graph/graphview.h"
#include "core/text/texts.h"
#include "core/util/numeric.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"

#include <algorithm>
#include <cstdio>

namespace vro {
namespace {

std::int32_t Mid(std::pair<std::int32_t, std::int32_t> mm)
{
    return static_cast<std::int32_t>((static_cast<std::int64_t>(mm.first) + mm.second) / 2);
}

// Plot column of display position k (0..W-1) over a graph `width` wide: a
// graph wider than the display width spreads the columns over its width.
int PositionX(int k, int columns, int width)
{
    if (width <= columns || columns <= 1)
        return k;
    return static_cast<int>(static_cast<std::int64_t>(k) * (width - 1) / (columns - 1));
}

std::string Fmt(const char* f, const std::string& a)
{
    std::vector<char> buf(a.size() + 64);
    std::snprintf(buf.data(), buf.size(), f, a.c_str());
    return buf.data();
}

std::string Fmt(const char* f, const std::string& a, const std::string& b)
{
    std::vector<char> buf(a.size() + b.size() + 64);
    std::snprintf(buf.data(), buf.size(), f, a.c_str(), b.c_str());
    return buf.data();
}

std::string Fmt(const char* f, const std::string& a, const std::string& b, const std::string& c)
{
    std::vector<char> buf(a.size() + b.size() + c.size() + 64);
    std::snprintf(buf.data(), buf.size(), f, a.c_str(), b.c_str(), c.c_str());
    return buf.data();
}

std::string TimeLabel(double tenthsOfMs, const TVro8SampleRow& row)
{
    const std::string unit = row.TimeUnit;
    const double div = unit == "ms" ? 10.0 : unit == "s" ? 1e4 : unit == "min" ? 6e5 : unit == "h" ? 3.6e7 : 8.64e8;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", row.TimeDecimals, tenthsOfMs / div);
    return buf;
}

} // namespace

TOnlineColumnSpan OnlineColumnSpan(const TVro8OnlineRecording& o)
{
    TOnlineColumnSpan s;
    s.Width = std::max(o.DisplayWidth(), 1);
    const std::int32_t L = std::max(o.BufferLength, 1);
    const int newest = o.Column();
    if (o.RecordCount() <= 0 || newest < 0 || newest >= s.Width)
        return s;
    const std::int32_t n = o.RecordingType == 1 ? o.PreCount() + o.PostCount() : (o.Wrapped() ? L : o.WriteIndex());
    s.Newest = newest;
    if (n >= L) {
        s.Oldest = (newest + 1) % s.Width;
        s.Count = s.Width;
    } else {
        s.Oldest = std::clamp(o.StartColumn(), 0, s.Width - 1);
        s.Count = (newest - s.Oldest + s.Width) % s.Width + 1;
    }
    return s;
}

std::pair<std::int32_t, std::int32_t> OnlineColumnValue(const TVro8OnlineRecording& o, int channel, int column,
                                                        const TOnlineColumnSpan& span)
{
    if (column == span.Newest && o.BufferLength > span.Width)
        return {o.RunMin(channel), o.RunMax(channel)};
    return {o.ColumnMin(channel, column), o.ColumnMax(channel, column)};
}

std::vector<std::pair<std::int32_t, std::int32_t>> OnlineColumns(const TVro8OnlineRecording& o, int channel)
{
    const TOnlineColumnSpan span = OnlineColumnSpan(o);
    std::vector<std::pair<std::int32_t, std::int32_t>> out;
    out.reserve(static_cast<std::size_t>(span.Count));
    for (int k = 0; k < span.Count; ++k)
        out.push_back(OnlineColumnValue(o, channel, (span.Oldest + k) % span.Width, span));
    return out;
}

int OnlineValueRow(std::int32_t value, std::int32_t lo, std::int32_t hi, int height)
{
    const auto [l, h] = DisplayRangeOf(lo, hi);
    const double r = RoundHalfEven((static_cast<double>(value) - l) * (height - 1) / (static_cast<double>(h) - l));
    return static_cast<int>(std::clamp(static_cast<double>(height - 1) - r, -1.0, static_cast<double>(height)));
}

int OnlineValueColumn(std::int32_t value, std::int32_t lo, std::int32_t hi, int width)
{
    const auto [l, h] = DisplayRangeOf(lo, hi);
    const double r = RoundHalfEven((static_cast<double>(value) - l) * (width - 1) / (static_cast<double>(h) - l));
    return static_cast<int>(std::clamp(r, -1.0, static_cast<double>(width)));
}

graph::TRgb OnlineChannelColor(int channel) { return graph::ChannelColorTable(channel % 10); }

void PaintOnlineGraph(const TVro8OnlineRecording& o, const TOnlineDisplaySettings& s, graph::TGraphCanvas& canvas,
                      int width, int height, bool live)
{
    if (width < 1 || height < 1)
        return;
    canvas.FillRect(0, 0, width - 1, height - 1, kOnlineBackground);
    std::vector<graph::TSegment> lines;
    lines.reserve(22);
    for (int i = 1; i < 10; ++i) {
        const int x = static_cast<int>(static_cast<std::int64_t>(i) * width / 10);
        const int y = static_cast<int>(static_cast<std::int64_t>(i) * height / 10);
        lines.push_back({x, 0, x, height - 1});
        lines.push_back({0, y, width - 1, y});
    }
    canvas.Lines(lines, kOnlineGrid);
    if (!live || o.RecordingType == 2)
        return;
    const TOnlineColumnSpan span = OnlineColumnSpan(o);
    if (span.Count <= 0)
        return;
    const int W = span.Width;
    const int channels = std::min(o.ChannelCount, TOnlineDisplaySettings::kMaxChannels);
    std::vector<graph::TSegment> marker(1);

    if (s.XChannel >= 0 && s.XChannel < channels) {
        // One channel against another: a line through the column middles in ring order.
        const int xc = s.XChannel;
        const auto xr = DisplayRangeOf(s.LoY[static_cast<std::size_t>(xc)], s.HiY[static_cast<std::size_t>(xc)]);
        for (int ch = 0; ch < channels; ++ch) {
            if (ch == xc || !(s.Shown >> ch & 1u))
                continue;
            const auto yr = DisplayRangeOf(s.LoY[static_cast<std::size_t>(ch)], s.HiY[static_cast<std::size_t>(ch)]);
            lines.clear();
            int px = 0, py = 0;
            for (int k = 0; k < span.Count; ++k) {
                const int col = (span.Oldest + k) % W;
                const std::int32_t xv = std::clamp(Mid(OnlineColumnValue(o, xc, col, span)), xr.first, xr.second);
                const std::int32_t yv = std::clamp(Mid(OnlineColumnValue(o, ch, col, span)), yr.first, yr.second);
                const int x = OnlineValueColumn(xv, xr.first, xr.second, width);
                const int y = OnlineValueRow(yv, yr.first, yr.second, height);
                if (k > 0)
                    lines.push_back({px, py, x, y});
                else
                    lines.push_back({x, y, x, y});
                px = x;
                py = y;
            }
            const graph::TRgb color = OnlineChannelColor(ch);
            canvas.Lines(lines, color);
            marker[0] = {px - 2, py - 2, px - 2, py - 2};
            canvas.Markers(marker, color);
        }
        return;
    }

    const bool overwrite = s.DisplayMode == 1 && o.RecordingType == 0;
    for (int ch = 0; ch < channels; ++ch) {
        if (!(s.Shown >> ch & 1u))
            continue;
        const std::int32_t lo = s.LoY[static_cast<std::size_t>(ch)], hi = s.HiY[static_cast<std::size_t>(ch)];
        lines.clear();
        bool havePrev = false;
        std::int32_t prevMin = 0, prevMax = 0;
        int prevPos = -2;
        int newestX = 0;
        auto stroke = [&](int pos, int col) {
            auto [mn, mx] = OnlineColumnValue(o, ch, col, span);
            std::int32_t top = mx, bottom = mn;
            if (havePrev && prevPos == pos - 1) {
                top = std::max(mx, prevMin);
                bottom = std::min(mn, prevMax);
            }
            const int x = PositionX(pos, W, width);
            lines.push_back({x, OnlineValueRow(top, lo, hi, height), x, OnlineValueRow(bottom, lo, hi, height)});
            havePrev = true;
            prevMin = mn;
            prevMax = mx;
            prevPos = pos;
            if (col == span.Newest)
                newestX = x;
        };
        if (overwrite) {
            // From column 0; the 15 columns after the newest stay empty.
            for (int col = 0; col < W; ++col) {
                const int ahead = (col - span.Newest + W) % W;
                if (ahead >= 1 && ahead <= 15)
                    continue;
                const int age = (col - span.Oldest + W) % W;
                if (age >= span.Count)
                    continue;
                stroke(col, col);
            }
        } else {
            for (int k = 0; k < span.Count; ++k)
                stroke(k, (span.Oldest + k) % W);
        }
        const graph::TRgb color = OnlineChannelColor(ch);
        canvas.Lines(lines, color);
        if (overwrite) {
            const int y = OnlineValueRow(o.NewestValue(ch), lo, hi, height);
            marker[0] = {newestX - 2, y - 2, newestX - 2, y - 2};
            canvas.Markers(marker, color);
        }
    }
}

int OnlineXLabelCount(int graphWidth, int labelWidth)
{
    const std::int64_t w = std::max(labelWidth, 1);
    if (13 * w <= graphWidth)
        return 10;
    if (8 * w <= graphWidth)
        return 5;
    if (4 * w <= graphWidth)
        return 2;
    return 1;
}

TOnlineAxes OnlineAxes(const TOnlineRun& run, int frameWidth, int graphHeight,
                       const std::function<int(const std::string&)>& textWidth)
{
    TOnlineAxes a;
    const TOnlineDisplaySettings& s = run.Settings;
    const auto& channels = run.Channels();
    const int count = std::min<int>(static_cast<int>(channels.size()), TOnlineDisplaySettings::kMaxChannels);
    auto box = [&](int ch, int left) {
        TOnlineAxisBox b;
        b.Channel = ch;
        b.Left = left;
        b.Width = kOnlineAxisBox;
        const auto& c = channels[static_cast<std::size_t>(ch)];
        b.Title = c.Name + " [" + c.Unit + "]";
        const auto [lo, hi] = DisplayRangeOf(s.LoY[static_cast<std::size_t>(ch)], s.HiY[static_cast<std::size_t>(ch)]);
        for (int i = 0; i <= 10; ++i) {
            const auto v = static_cast<std::int32_t>(lo + (static_cast<std::int64_t>(hi) - lo) * i / 10);
            b.Labels.push_back({OnlineValueRow(v, lo, hi, graphHeight), RawToText(v, c.Decimals)});
        }
        return b;
    };
    for (int ch = 0; ch < count; ++ch) {
        if (ch == s.XChannel)
            continue;
        if (s.LeftAxis >> ch & 1u)
            a.Left.push_back(box(ch, static_cast<int>(a.Left.size()) * kOnlineAxisBox));
        else if (s.RightAxis >> ch & 1u)
            a.Right.push_back(box(ch, static_cast<int>(a.Right.size()) * kOnlineAxisBox));
    }
    auto strip = [](std::vector<TOnlineAxisBox>& boxes) {
        if (boxes.empty()) {
            TOnlineAxisBox e;
            e.Width = kOnlineEmptyBox;
            boxes.push_back(e);
            return kOnlineEmptyBox;
        }
        return static_cast<int>(boxes.size()) * kOnlineAxisBox;
    };
    a.LeftStrip = a.LeftShown = strip(a.Left);
    a.RightStrip = a.RightShown = strip(a.Right);
    // The graph keeps at least half the frame; box strips that do not fit scroll.
    const int boxes = std::max(frameWidth - frameWidth / 2, 2 * kOnlineEmptyBox);
    if (a.LeftStrip + a.RightStrip > boxes) {
        // Shares of the strips' widths, each at least an empty box, together
        // exactly what the boxes may take.
        a.RightShown =
            std::clamp(static_cast<int>(static_cast<std::int64_t>(boxes) * a.RightStrip / (a.LeftStrip + a.RightStrip)),
                       kOnlineEmptyBox, boxes - kOnlineEmptyBox);
        a.LeftShown = boxes - a.RightShown;
    }
    a.GraphLeft = a.LeftShown;
    a.GraphWidth = std::max(1, frameWidth - a.LeftShown - a.RightShown);

    std::vector<std::string> texts;
    std::vector<double> positions;
    const TVro8OnlineRecording& o = run.Online();
    const int n0 = 10;
    if (s.XChannel >= 0 && s.XChannel < count) {
        a.TimeAxis = false;
        const auto& c = channels[static_cast<std::size_t>(s.XChannel)];
        a.XTitle = c.Name + " [" + c.Unit + "]";
        const auto [lo, hi] =
            DisplayRangeOf(s.LoY[static_cast<std::size_t>(s.XChannel)], s.HiY[static_cast<std::size_t>(s.XChannel)]);
        for (int i = 0; i < n0; ++i)
            texts.push_back(
                RawToText(static_cast<std::int32_t>(lo + (static_cast<std::int64_t>(hi) - lo) * i / n0), c.Decimals));
        int widest = 1;
        for (const auto& t : texts)
            widest = std::max(widest, textWidth(t));
        const int n = OnlineXLabelCount(a.GraphWidth, widest);
        for (int i = 0; i < n; ++i) {
            const auto v = static_cast<std::int32_t>(lo + (static_cast<std::int64_t>(hi) - lo) * i / n);
            a.XLabels.push_back({OnlineValueColumn(v, lo, hi, a.GraphWidth), RawToText(v, c.Decimals)});
        }
        return a;
    }
    const TVro8SampleRow& row = TVro8SampleData::Row(TVro8SampleData::Valid(o.SampleRate) ? o.SampleRate : 9);
    a.XTitle = text(1258) + " [" + row.TimeUnit + "]";
    const double total = static_cast<double>(o.BufferLength) * row.Interval;
    int widest = 1;
    for (int i = 0; i < n0; ++i)
        widest = std::max(widest, textWidth(TimeLabel(total * i / n0, row)));
    const int n = OnlineXLabelCount(a.GraphWidth, widest);
    for (int i = 0; i < n; ++i)
        a.XLabels.push_back(
            {static_cast<int>(static_cast<std::int64_t>(a.GraphWidth) * i / n), TimeLabel(total * i / n, row)});
    return a;
}

std::vector<TEventLogLine> EventLogLines(const TOnlineRun& run)
{
    std::vector<TEventLogLine> out;
    const TVro8OnlineRecording& o = run.Online();
    const auto& channels = run.Channels();
    const int count = std::min<int>(static_cast<int>(channels.size()), o.ChannelCount);
    const std::string minText = text(1272), maxText = text(1273), eventText = text(148) + ":";
    out.push_back({text(1242), true, 5});
    out.push_back({text(1243) + " " + DvxDateTimeToText(o.StartTime()), false, 15});
    for (int c = 0; c < count; ++c) {
        const auto& ch = channels[static_cast<std::size_t>(c)];
        out.push_back({Fmt("%s: %s   ", ch.Name, RawToText(o.NewestValue(c), ch.Decimals)) + minText +
                           Fmt(" %s  ", RawToText(o.RunMin(c), ch.Decimals)) + maxText +
                           Fmt(" %s  [%s]", RawToText(o.RunMax(c), ch.Decimals), ch.Unit),
                       false, 5});
    }
    if (!out.empty())
        out.back().GapAfter += 5;
    const std::int32_t events = o.WriteIndex();
    out.push_back({text(1247) + " " + std::to_string(events), false, 15});
    if (events <= 0)
        return out;
    out.push_back({text(1248), true, 5});
    for (std::int32_t e = events - 1; e >= 0; --e) {
        const std::string when = DvxDateTimeToText(StampToDateTime(static_cast<std::uint32_t>(o.TimeStamp(e))));
        std::string fired;
        const std::uint16_t state = o.State(e);
        for (int b = 0; b < 16; ++b)
            if (state >> b & 1u)
                fired += (fired.empty() ? "" : ", ") + std::to_string(b + 1);
        for (int c = 0; c < count; ++c) {
            const auto& ch = channels[static_cast<std::size_t>(c)];
            out.push_back({Fmt("%s   ", when) + eventText +
                               Fmt(" %s   %s:  %s   ", fired, ch.Name, RawToText(o.Value(c, e), ch.Decimals)) +
                               minText + Fmt("  %s   ", RawToText(o.MinValue(c, e), ch.Decimals)) + maxText +
                               Fmt("  %s    [%s]", RawToText(o.MaxValue(c, e), ch.Decimals), ch.Unit),
                           false, 5});
        }
        out.back().GapAfter = 10;
    }
    return out;
}

std::vector<int> EventLogLayout(const std::vector<TEventLogLine>& lines, int lineHeight, int height)
{
    std::vector<int> tops;
    int y = 10;
    for (const auto& l : lines) {
        if (y + 2 * lineHeight + 20 > height)
            break;
        tops.push_back(y);
        y += lineHeight + l.GapAfter;
    }
    return tops;
}

} // namespace vro
