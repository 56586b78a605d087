// Full redraw of a 1920 × 1080 graph with 32 channels and min/max envelopes,
// (a) 100,000 and (b) 10,000,000 samples per channel, at full view and at
// three zoom levels (a tenth, a hundredth, a thousandth of the samples).
// Figures: the worst case of each size in milliseconds per redraw, and the
// memory of the min/max pyramids relative to the sample arrays.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/graph/qtgraphcanvas.h"
#include "core/graph/graphrender.h"
#include "core/graph/graphview.h"
#include "figures.h"

using namespace vro;

namespace {

constexpr int kChannels = 32;
constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kTwoPi = 6.283185307179586;

std::unique_ptr<TRecording> MakeRecording(int samples)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = kChannels;
    r->RecordCount = samples;
    r->HasMinMaxValues = true;
    r->ShowTableMinMax = 1; // every envelope drawn
    r->SampleRate = 1;
    r->CreateChannelObjects();
    std::uint32_t seed = 12345;
    for (int c = 0; c < kChannels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "C" + std::to_string(c);
        ch.Decimals = 1;
        ch.FullLoRange = ch.CurrentLoRange = 0;
        ch.FullHiRange = ch.CurrentHiRange = 10000;
        ch.ColorIndex = c % 10;
        for (int i = 0; i < samples; ++i) {
            seed = seed * 1664525u + 1013904223u;
            // The same picture at full view for both sizes: channel c
            // makes (c + 1) / 4 periods over the recording, plus noise.
            const double slow = std::sin(kTwoPi * (c + 1) / 4.0 * i / samples);
            const int v = 5000 + static_cast<int>(3000 * slow) + static_cast<int>(seed >> 24) - 128;
            ch.Values[static_cast<std::size_t>(i)] = v;
            ch.MinValues[static_cast<std::size_t>(i)] = v - 100;
            ch.MaxValues[static_cast<std::size_t>(i)] = v + 100;
        }
    }
    r->Time->ResetRange();
    return r;
}

struct TCase {
    std::unique_ptr<TRecording> Recording;
    graph::TGraphicView View;
    QImage Image{kWidth, kHeight, QImage::Format_RGB32};
};

std::map<int, std::unique_ptr<TCase>>& Cases()
{
    static std::map<int, std::unique_ptr<TCase>> cases;
    return cases;
}

TCase& CaseFor(int samples)
{
    auto& c = Cases()[samples];
    if (!c) {
        c = std::make_unique<TCase>();
        c->Recording = MakeRecording(samples);
        c->View.SetRecording(c->Recording.get());
        c->View.SetSize(kWidth, kHeight, nullptr);
    }
    return *c;
}

void Redraw(TCase& c)
{
    QPainter p(&c.Image);
    app::RenderGraph(c.View, p, QPoint(0, 0));
}

// zoom: 1 full view, 10, 100, 1000: that part of the samples, in the middle;
// threads: the view's workers (0: one per processor, as the program has it).
void BM_Redraw(benchmark::State& state)
{
    const int samples = static_cast<int>(state.range(0));
    const int zoom = static_cast<int>(state.range(1));
    TCase& c = CaseFor(samples);
    c.View.SetWorkerThreads(static_cast<unsigned>(state.range(2)));
    const std::int64_t span = samples / zoom;
    const std::int64_t lo = (samples - span) / 2;
    c.Recording->Time->SetRange(lo, lo + span);
    Redraw(c); // pyramids are built once, on the first redraw of a recording
    for (auto _ : state)
        Redraw(c);
}
BENCHMARK(BM_Redraw)
    ->ArgsProduct({{100000, 10000000}, {1, 10, 100, 1000}, {0, 1}})
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond); // Google Benchmark's default 0.5 s a case; --benchmark_min_time to change

// The column extremes alone (every array of every channel, as the redraw
// asks for them), without drawing: how the redraw's time splits.
void BM_Columns(benchmark::State& state)
{
    const int samples = static_cast<int>(state.range(0));
    const int zoom = static_cast<int>(state.range(1));
    TCase& c = CaseFor(samples);
    const std::int64_t span = samples / zoom;
    const std::int32_t lo = static_cast<std::int32_t>((samples - span) / 2);
    const std::int32_t hi = static_cast<std::int32_t>(lo + span);
    Redraw(c);
    graph::TColumns out;
    for (auto _ : state)
        for (int ch = 0; ch < kChannels; ++ch) {
            auto& channel = c.Recording->Channel(ch);
            const graph::TColumnRows rows(channel, c.View.YExtent);
            const graph::TEnvelopeRows envelopeRows(channel, c.View.YExtent);
            int slot = ch * 3;
            for (const auto* a : {&channel.Values, &channel.MinValues, &channel.MaxValues}) {
                const graph::TQuantizer* same =
                    a == &channel.Values ? static_cast<const graph::TQuantizer*>(&rows) : &envelopeRows;
                const auto want = a == &channel.Values      ? graph::TMinMaxPyramid::EWant::Both
                                  : a == &channel.MinValues ? graph::TMinMaxPyramid::EWant::Min
                                                            : graph::TMinMaxPyramid::EWant::Max;
                graph::ChannelColumns(channel, *a, lo, hi, c.View.XExtent, &c.View.Pyramids().For(slot++, *a), out,
                                      same, want);
                benchmark::DoNotOptimize(out.data());
            }
        }
}
BENCHMARK(BM_Columns)->ArgsProduct({{100000, 10000000}, {1, 10, 100, 1000}})->Unit(benchmark::kMillisecond);


} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    auto c = bench::RunAll(argc, argv);
    // Run names: BM_Redraw/SAMPLES/ZOOM/THREADS (then the repetitions);
    // each time is the median of the repetitions.
    double worst100k = 0, worst10m = 0, worst100kOne = 0, worst10mOne = 0;
    for (const auto& [name, sec] : c.seconds) {
        int samples = 0, zoom = 0, threads = 0;
        if (std::sscanf(name.c_str(), "BM_Redraw/%d/%d/%d", &samples, &zoom, &threads) != 3)
            continue;
        const double ms = sec * 1e3;
        double& worst =
            samples == 100000 ? (threads == 1 ? worst100kOne : worst100k) : (threads == 1 ? worst10mOne : worst10m);
        worst = std::max(worst, ms);
    }
    bench::Figure("redraw_ms_100k", worst100k, "ms");
    bench::Figure("redraw_ms_10m", worst10m, "ms");
    bench::Figure("redraw_ms_100k_1thread", worst100kOne, "ms");
    bench::Figure("redraw_ms_10m_1thread", worst10mOne, "ms");
    if (worst100k > 0)
        bench::Figure("redraw_ratio_10m_100k", worst10m / worst100k, "x");
    bench::Figure("redraw_threads", TWorkerPool().ThreadCount(), "threads");
    if (Cases().count(10000000)) {
        TCase& big = *Cases()[10000000];
        const double sampleBytes = 3.0 * kChannels * 10000000.0 * sizeof(std::int32_t);
        bench::Figure("pyramid_memory_percent", 100.0 * big.View.Pyramids().MemoryBytes() / sampleBytes, "%");
    }
    return 0;
}
