// The redraw computes the column extremes of all channels ahead on the
// view's worker threads and then draws on its own thread: the drawing calls
// must be exactly those of a redraw on one thread, and of drawing channel by
// channel, for any data, window and number of workers.
#include "core/graph/graphrender.h"
#include "core/graph/graphview.h"
#include "core/values/vro8utils.h"
#include "graph_support.h"

#include <gtest/gtest.h>

#include <random>
#include <variant>

using namespace vro;
using namespace vro::graph;

namespace {

// Every drawing call, in order, with its arguments.
class TRecordingCanvas : public TGraphCanvas {
public:
    struct TCall {
        int Kind; // 0 fill, 1 lines, 2 markers
        TRgb Color;
        std::vector<TSegment> Segments;
        bool operator==(const TCall&) const = default;
    };
    std::vector<TCall> Calls;
    void FillRect(int left, int top, int right, int bottom, TRgb color) override
    {
        Calls.push_back({0, color, {TSegment{left, top, right, bottom}}});
    }
    void Lines(std::span<const TSegment> lines, TRgb color) override
    {
        Calls.push_back({1, color, {lines.begin(), lines.end()}});
    }
    void Markers(std::span<const TSegment> topLefts, TRgb color) override
    {
        Calls.push_back({2, color, {topLefts.begin(), topLefts.end()}});
    }
};

std::unique_ptr<TRecording> NoisyRecording(std::mt19937& rng, int channels, int samples)
{
    auto r = graphtest::MakeRecording(channels, samples, true);
    r->ShowTableMinMax = 1; // every envelope drawn
    std::uniform_int_distribution<int> noise(-300, 300), gap(0, 200);
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        for (int i = 0; i < samples; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const int v =
                gap(rng) == 0 ? NoValue : 500 + static_cast<int>(400 * std::sin(0.001 * i * (c + 1))) + noise(rng);
            ch.Values[k] = v;
            ch.MinValues[k] = v == NoValue ? NoValue : v - 20 - noise(rng) / 10;
            ch.MaxValues[k] = v == NoValue ? NoValue : v + 20 + noise(rng) / 10;
        }
        // Ranges that cut some strokes at the plot's edges.
        ch.CurrentLoRange = c % 3 == 0 ? 200 : 0;
        ch.CurrentHiRange = c % 3 == 1 ? 800 : 1000;
    }
    r->Channel(1).SetTimeShift(377);
    r->TimeShiftActive = true;
    r->Time->ResetRange();
    return r;
}

std::vector<TRecordingCanvas::TCall> Redraw(TGraphicView& view)
{
    TRecordingCanvas canvas;
    TGraphRenderer().Draw(view, canvas);
    return canvas.Calls;
}

// The same picture drawn channel by channel through the public calls.
std::vector<TRecordingCanvas::TCall> ChannelByChannel(const TGraphicView& view)
{
    TRecordingCanvas canvas;
    TGraphRenderer g;
    g.DrawBackground(view, canvas);
    for (std::size_t k = 0; k < view.DrawList.size(); ++k) {
        const int n = view.DrawList[k];
        if (n == view.XAxisIndex())
            continue;
        g.DrawChannel(view, n, canvas);
        if (k < view.EnvelopeList.size() && view.EnvelopeList[k])
            g.DrawEnvelope(view, n, canvas);
    }
    return canvas.Calls;
}

} // namespace

TEST(Render, WorkersDrawTheSamePictureAsOneThreadOnRandomWindows)
{
    std::mt19937 rng(7);
    auto r = NoisyRecording(rng, 6, 200000);
    TGraphicView one, four;
    one.SetWorkerThreads(1);
    four.SetWorkerThreads(4);
    for (auto* v : {&one, &four}) {
        v->SetRecording(r.get());
        v->SetSize(801, 301, nullptr);
    }
    std::uniform_int_distribution<std::int32_t> pos(0, 200000 - 1);
    int columns = 0, polylines = 0;
    for (int round = 0; round < 40; ++round) {
        std::int32_t a = pos(rng), b = pos(rng);
        if (a > b)
            std::swap(a, b);
        if (round == 0)
            a = 0, b = 200000 - 1; // full view
        if (round % 5 == 1)
            b = std::min(a + 300, 200000 - 1); // fewer samples than columns: polylines
        r->Time->SetRange(a, b);
        SCOPED_TRACE(std::to_string(r->Time->FirstIndex) + ".." + std::to_string(r->Time->LastIndex));
        (TGraphRenderer::UsesColumns(one, 0) ? columns : polylines)++;
        const auto single = Redraw(one);
        ASSERT_GT(single.size(), 12u);
        EXPECT_EQ(Redraw(four), single);
        EXPECT_EQ(ChannelByChannel(four), single);
    }
    EXPECT_GT(columns, 20);
    EXPECT_GT(polylines, 3);
}

TEST(Render, WorkersSeeAChannelChangedBetweenRedraws)
{
    std::mt19937 rng(11);
    auto r = NoisyRecording(rng, 3, 50000);
    TGraphicView view;
    view.SetWorkerThreads(3);
    view.SetRecording(r.get());
    view.SetSize(400, 200, nullptr);
    const auto before = Redraw(view);
    // Computed anew in place (as a filter does): the pyramids see it.
    for (auto& v : r->Channel(2).Values)
        v = v == NoValue ? v : 1000 - v;
    const auto after = Redraw(view);
    EXPECT_NE(after, before);
    TGraphicView fresh;
    fresh.SetWorkerThreads(1);
    fresh.SetRecording(r.get());
    fresh.SetSize(400, 200, nullptr);
    EXPECT_EQ(Redraw(fresh), after);
}
