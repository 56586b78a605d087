// The online run against the in-process simulated recorder (worker, ends,
// notices, triggers, link loss, refused start) and the drawing model over
// records fed by hand (roll, overwrite, X-Y, columns of this run only).
#include "device/live/onlinedraw.h"
#include "device/live/onlinerun.h"

#include "core/text/texts.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/simchannels.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

using namespace vro;

namespace {

// Waits (bounded) for the worker's end notice.
struct TEndWait {
    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
    std::atomic<long> notices{0};
    std::function<void()> Notify()
    {
        return [this] { ++notices; };
    }
    std::function<void()> Ended()
    {
        return [this] {
            std::lock_guard<std::mutex> l(m);
            ended = true;
            cv.notify_all();
        };
    }
    bool Wait(int ms = 20000)
    {
        std::unique_lock<std::mutex> l(m);
        return cv.wait_for(l, std::chrono::milliseconds(ms), [this] { return ended; });
    }
};

struct TRunRig : test::TRecorderRig {
    explicit TRunRig(int channels = 3, sim::TSimOnlineConfig online = {}) : test::TRecorderRig(3)
    {
        online.Interval = std::chrono::microseconds(1000);
        recorder->SetOnline(online);
        recorder->SetChannels(sim::SimChannelList(channels), false);
        Connect();
        device->Measurement.ReadChannels();
    }
    TOnlineChoices Choices(int type, std::int32_t length)
    {
        TOnlineChoices c;
        c.RecordingType = type;
        c.SampleRate = 3;
        c.DurationIndex = -1;
        c.BufferLength = length;
        return c;
    }
};

TEST(OnlineRun, EndByUserSendsStartAndHandsOverWhatCame)
{
    TRunRig rig;
    TOnlineRun run(*rig.device);
    auto c = rig.Choices(0, 100000);
    c.HandTriggers = 0;
    run.Configure(c, 500, std::nullopt);
    TEndWait w;
    run.Begin(true, w.Notify(), w.Ended());
    // Wait for some data (bounded), then End.
    for (int i = 0; i < 2000 && (!run.Live() || run.Online().RecordCount() < 50); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    run.RequestStop();
    ASSERT_TRUE(w.Wait());
    run.Join();
    EXPECT_EQ(run.EndReason(), EOnlineEnd::Ended);
    EXPECT_GE(run.Online().HandOverCount(), 50);
    EXPECT_GE(w.notices.load(), 1);
    bool sawStart = false;
    for (const auto& r : rig.recorder->Transcript())
        if (r.Address == 'S' && r.Number == 104) {
            sawStart = true;
            ASSERT_EQ(r.Data.size(), 6u);
            EXPECT_EQ(r.Data[0], 0); // type
            EXPECT_EQ(r.Data[2], 3); // rate row
            EXPECT_EQ(r.Data[4], 1); // repeat
        }
    EXPECT_TRUE(sawStart);
    EXPECT_FALSE(run.Live());
}

TEST(OnlineRun, FullRingEndsByItselfAndTypeOneKeepsItsShares)
{
    {
        TRunRig rig;
        TOnlineRun run(*rig.device);
        run.Configure(rig.Choices(0, 60), 500, std::nullopt);
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        ASSERT_TRUE(w.Wait());
        run.Join();
        EXPECT_EQ(run.EndReason(), EOnlineEnd::Ended);
        EXPECT_EQ(run.Online().HandOverCount(), 60);
    }
    {
        sim::TSimOnlineConfig cfg;
        cfg.TriggerAtRecord = 150;
        TRunRig rig(2, cfg);
        TOnlineRun run(*rig.device);
        auto c = rig.Choices(1, 100);
        c.TriggerPosition = 3;
        run.Configure(c, 500, std::nullopt);
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        ASSERT_TRUE(w.Wait());
        run.Join();
        EXPECT_EQ(run.Online().PreCount(), 30);
        EXPECT_EQ(run.Online().PostCount(), 70);
        EXPECT_EQ(run.Online().HandOverCount(), 100);
    }
}

TEST(OnlineRun, RefusedStartAndBrokenLinkAreReported)
{
    {
        TRunRig rig;
        rig.recorder->SetFault('S', 104, {sim::ERecorderFault::Status, 3});
        TOnlineRun run(*rig.device);
        run.Configure(rig.Choices(0, 1000), 500, std::nullopt);
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        ASSERT_TRUE(w.Wait());
        run.Join();
        EXPECT_EQ(run.EndReason(), EOnlineEnd::StartFailed);
        EXPECT_EQ(w.notices.load(), 0);
        EXPECT_EQ(run.Online().HandOverCount(), 0);
    }
    {
        sim::TSimOnlineConfig cfg;
        cfg.StopAfter = 40;
        TRunRig rig(2, cfg);
        TOnlineRun run(*rig.device);
        run.Configure(rig.Choices(0, 100000), 500, std::nullopt);
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        ASSERT_TRUE(w.Wait());
        run.Join();
        EXPECT_EQ(run.EndReason(), EOnlineEnd::LinkBroken);
        EXPECT_EQ(run.Online().HandOverCount(), 40); // the data is kept
        EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
    }
}

// A reader on this thread paints, reads the columns, the axes and the event
// page and changes the width while the worker writes: under ThreadSanitizer
// this must stay free of races (the tsan preset runs it).
TEST(OnlineRun, APainterReadsWhileTheWorkerWrites)
{
    for (int type : {0, 1, 2}) {
        TRunRig rig(4);
        TOnlineRun run(*rig.device);
        auto c = rig.Choices(type, type == 2 ? 0 : 700);
        c.SimpleCurvMode = 1;
        c.TriggerPosition = 5;
        run.Configure(c, 300, std::nullopt);
        if (type == 0)
            run.Settings.DisplayMode = 1;
        std::atomic<long> notices{0};
        TEndWait w;
        run.Begin(
            false, [&notices] { ++notices; }, w.Ended());
        struct TCountingCanvas : graph::TGraphCanvas {
            long segments = 0;
            void FillRect(int, int, int, int, graph::TRgb) override {}
            void Lines(std::span<const graph::TSegment> l, graph::TRgb) override
            {
                segments += static_cast<long>(l.size());
            }
            void Markers(std::span<const graph::TSegment>, graph::TRgb) override {}
        } canvas;
        long paints = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!run.Finished() && std::chrono::steady_clock::now() < deadline &&
               (paints < 200 || run.Online().RecordCount() < 1500)) {
            if (notices.load() > 0) {
                run.TakeNotice(); // the next notice may come while this one is painted
                notices.store(0);
            }
            if (!run.Live())
                continue;
            PaintOnlineGraph(run.Online(), run.Settings, canvas, 300 + static_cast<int>(paints % 3), 200, true);
            for (int ch = 0; ch < 4; ++ch)
                EXPECT_LE(OnlineColumns(run.Online(), ch).size(), 302u);
            if (type == 2)
                EXPECT_GE(EventLogLines(run).size(), 6u);
            else
                OnlineAxes(run, 600, 200, [](const std::string& t) { return static_cast<int>(t.size()) * 6; });
            // A resize mid-run: the writer takes the width over at its next record.
            run.Online().SetRequestedWidth(paints % 50 < 25 ? 300 : 301);
            if (paints == 100 && run.CanTrigger())
                run.Trigger();
            ++paints;
        }
        EXPECT_GE(paints, 100) << "type " << type;
        if (type != 2) {
            EXPECT_GT(canvas.segments, 0) << "type " << type;
        }
        run.RequestStop();
        ASSERT_TRUE(w.Wait());
        run.Join();
        EXPECT_GT(run.Online().HandOverCount(), 0) << "type " << type;
    }
}

TEST(OnlineRun, OneNoticePendingUntilTaken)
{
    TRunRig rig;
    TOnlineRun run(*rig.device);
    run.Configure(rig.Choices(0, 100000), 50, std::nullopt);
    TEndWait w;
    run.Begin(false, w.Notify(), w.Ended());
    for (int i = 0; i < 2000 && (!run.Live() || run.Online().RecordCount() < 300); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(w.notices.load(), 1); // nobody took it
    run.TakeNotice();
    for (int i = 0; i < 2000 && w.notices.load() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(w.notices.load(), 2);
    run.RequestStop();
    ASSERT_TRUE(w.Wait());
    run.Join();
}

TEST(OnlineRun, HandTriggersFromTheTriggerBlock)
{
    sim::TSimOnlineConfig cfg;
    cfg.EventEvery = 0; // the only events are those released by hand
    TRunRig rig(3, cfg);
    {
        TOnlineRun run(*rig.device);
        run.Configure(rig.Choices(1, 100000), 500, std::nullopt); // reads the trigger block
        EXPECT_EQ(run.HandTriggers(), 1);                         // the simulator's event 1 is active with Source 0
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        for (int i = 0; i < 2000 && (!run.Live() || run.Online().RecordCount() < 20); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(run.CanTrigger());
        run.Trigger();
        EXPECT_EQ(run.Online().TriggerState(), 1);
        EXPECT_FALSE(run.CanTrigger()); // a release after the trigger would move TriggerTime
        run.RequestStop();
        ASSERT_TRUE(w.Wait());
        run.Join();
    }
    {
        TOnlineRun run(*rig.device);
        auto c = rig.Choices(2, 0);
        run.Configure(c, 500, std::nullopt);
        EXPECT_EQ(run.Online().BufferLength, 500000 / (3 * 3 + 3));
        TEndWait w;
        run.Begin(false, w.Notify(), w.Ended());
        for (int i = 0; i < 2000 && (!run.Live() || run.Online().RecordCount() < 3); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int before = run.Online().WriteIndex();
        run.Trigger();
        for (int i = 0; i < 2000 && run.Online().WriteIndex() == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        run.RequestStop();
        ASSERT_TRUE(w.Wait());
        run.Join();
        ASSERT_EQ(run.Online().WriteIndex(), 1);
        EXPECT_EQ(run.Online().State(0), 1); // bit 0: trigger event 1
        const auto lines = EventLogLines(run);
        ASSERT_GE(lines.size(), 6u);
        EXPECT_EQ(lines[0].Text, text(1242));
        EXPECT_TRUE(lines[0].Bold);
        EXPECT_NE(lines[2].Text.find(text(1272)), std::string::npos);
        EXPECT_EQ(lines[5].Text, text(1247) + " " + std::to_string(run.Online().WriteIndex()));
    }
}

TEST(OnlineRun, LimitsAreRefusedBeforeTheStart)
{
    TRunRig rig(3);
    TOnlineRun run(*rig.device);
    auto c = rig.Choices(0, 0);
    c.SampleRate = 0;     // 0.1 ms
    c.DurationIndex = 15; // 24 h: far beyond 1,000,000 samples
    try {
        run.Configure(c, 500, std::nullopt);
        FAIL() << "accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), text(1159));
    }
    TRunRig many(40);
    TOnlineRun run2(*many.device);
    EXPECT_THROW(run2.Configure(many.Choices(0, 100), 500, std::nullopt), std::runtime_error);
    EXPECT_EQ(many.recorder->RequestCount('S', 104), 0);
}

TEST(OnlineSettings, ThirtyTwoLeftBoxesLeaveTheGraphHalfTheFrame)
{
    TRunRig rig(32);
    TOnlineRun run(*rig.device);
    auto c = rig.Choices(0, 1000);
    c.HandTriggers = 0;
    run.Configure(c, 960, std::nullopt);
    const auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
    const TOnlineAxes a = OnlineAxes(run, 1920, 1000, width);
    EXPECT_EQ(a.Left.size(), 32u);
    EXPECT_EQ(a.LeftStrip, 32 * kOnlineAxisBox); // the strip keeps its boxes and scrolls
    EXPECT_EQ(a.RightStrip, kOnlineEmptyBox);
    EXPECT_GE(a.GraphWidth, 960);
    EXPECT_EQ(a.GraphLeft + a.GraphWidth + a.RightShown, 1920);
    // A narrow frame still leaves a graph.
    const TOnlineAxes n = OnlineAxes(run, 100, 1000, width);
    EXPECT_GE(n.GraphWidth, 1);
}

TEST(OnlineSettings, DefaultsReuseAndDegenerateRanges)
{
    std::vector<TVro8ChannelDescription> ch(3);
    ch[0].LoRange = -100;
    ch[0].HiRange = 500;
    ch[1].LoRange = 7;
    ch[1].HiRange = 7; // empty measuring range
    ch[2].LoRange = 0;
    ch[2].HiRange = 30;
    const TOnlineDisplaySettings d = DefaultDisplaySettings(ch);
    EXPECT_EQ(d.LeftAxis, 7u);
    EXPECT_EQ(d.RightAxis, 0u);
    EXPECT_EQ(d.XChannel, -1);
    EXPECT_EQ(d.LoY[1], 7);
    EXPECT_EQ(d.HiY[1], 17);
    TOnlineDisplaySettings prev = d;
    prev.RightAxis = 0xFFu;
    prev.LeftAxis = 1;
    prev.XChannel = 2;
    prev.Shown = 0;
    prev.DisplayMode = 1;
    prev.LoY[0] = -50;
    ch.resize(2);
    const TOnlineDisplaySettings r = ReuseDisplaySettings(prev, ch);
    EXPECT_EQ(r.RightAxis, 3u); // limited to the channels that exist
    EXPECT_EQ(r.XChannel, -1);  // channel 2 is gone
    EXPECT_EQ(r.Shown, 3u);     // all shown again
    EXPECT_EQ(r.LoY[0], -50);
    EXPECT_EQ(r.DisplayMode, 1);
}

TEST(OnlineSettings, DialogChecksInOrderWithSpan)
{
    std::vector<TVro8ChannelDescription> ch(2);
    ch[0].Decimals = 1;
    ch[1].LoRange = -40000; // reaches past -30000: the limit widens
    ch[1].HiRange = 100;
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    EXPECT_EQ(CheckOnlineRanges({{"-1,0", "2,5"}, {"-40000", "100"}}, ch, ranges).Text, 0);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0], std::make_pair(-10, 25));
    auto r = CheckOnlineRanges({{"", "1"}, {"x", "1"}}, ch, ranges);
    EXPECT_EQ(r.Channel, 0);
    EXPECT_FALSE(r.Upper);
    EXPECT_EQ(r.Text, 1276);
    r = CheckOnlineRanges({{"1", "1a"}, {"0", "10"}}, ch, ranges);
    EXPECT_TRUE(r.Upper);
    EXPECT_EQ(r.Text, 1277);
    r = CheckOnlineRanges({{"0", "3000,1"}, {"0", "10"}}, ch, ranges);
    EXPECT_EQ(r.Text, 1278);
    r = CheckOnlineRanges({{"0", "0,5"}, {"0", "10"}}, ch, ranges); // less than 10 raw above the lower
    EXPECT_TRUE(r.Upper);
    EXPECT_EQ(r.Text, 1279);
    r = CheckOnlineRanges({{"0", "10"}, {"-40001", "10"}}, ch, ranges);
    EXPECT_EQ(r.Channel, 1);
    EXPECT_EQ(r.Text, 1279);
}

TEST(OnlineSettings, MagnifierNormalisationAndLabelCounts)
{
    EXPECT_EQ(MagnifierRange(500, 100), std::make_pair(100, 500));
    EXPECT_EQ(MagnifierRange(-40000, -35000), std::make_pair(-30000, -29990));
    EXPECT_EQ(MagnifierRange(29995, 31000), std::make_pair(29990, 30000));
    EXPECT_EQ(MagnifierRange(7, 9), std::make_pair(7, 17));
    EXPECT_EQ(OnlineXLabelCount(1300, 100), 10);
    EXPECT_EQ(OnlineXLabelCount(1299, 100), 5);
    EXPECT_EQ(OnlineXLabelCount(800, 100), 5);
    EXPECT_EQ(OnlineXLabelCount(799, 100), 2);
    EXPECT_EQ(OnlineXLabelCount(399, 100), 1);
    EXPECT_EQ(OnlinePixelValue(0, 101, 0, 1000, true), 1000);
    EXPECT_EQ(OnlinePixelValue(100, 101, 0, 1000, true), 0);
    EXPECT_EQ(OnlineValueRow(0, 0, 1000, 101), 100);
    EXPECT_EQ(OnlineValueRow(5, 5, 5, 11), 10); // an empty range draws as lo .. lo + 10
}

// ---- drawing model over records fed by hand ----

struct TCanvas : graph::TGraphCanvas {
    struct TCall {
        graph::TRgb color;
        std::vector<graph::TSegment> segs;
        bool marker = false;
    };
    std::vector<TCall> calls;
    void FillRect(int, int, int, int, graph::TRgb) override {}
    void Lines(std::span<const graph::TSegment> l, graph::TRgb c) override
    {
        calls.push_back({c, {l.begin(), l.end()}});
    }
    void Markers(std::span<const graph::TSegment> l, graph::TRgb c) override
    {
        calls.push_back({c, {l.begin(), l.end()}, true});
    }
    const TCall* Channel(int ch, bool marker = false) const
    {
        for (const auto& c : calls)
            if (c.color == OnlineChannelColor(ch) && c.marker == marker && !(c.color == kOnlineGrid))
                return &c;
        return nullptr;
    }
};

struct TFeed {
    TDvxV24MemoryPortPair pair;
    TDvxV24Connector connector{pair.TakeA()};
    TVro8Device device{connector};
    TVro8OnlineRecording& o = device.OnlineRecording();
    std::deque<std::uint8_t> bytes;
    TFeed(int type, int cc, int L, int W)
    {
        o.Now = [] { return 45000.0; };
        o.RecordingType = type;
        o.ChannelCount = cc;
        o.BufferLength = L;
        o.SetDisplayWidth(W);
        o.PrepareRun();
    }
    void Record(const std::vector<std::int16_t>& v)
    {
        bytes.insert(bytes.end(), {0x88, 0x88});
        std::uint8_t sum = 0;
        for (auto x : v) {
            const auto u = static_cast<std::uint16_t>(x);
            bytes.push_back(u & 0xFF);
            bytes.push_back(u >> 8);
            sum = static_cast<std::uint8_t>(sum + (u & 0xFF) + (u >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(sum);
        while (!bytes.empty())
            o.PollFrom([this] {
                const auto b = bytes.front();
                bytes.pop_front();
                return b;
            });
    }
    TOnlineDisplaySettings Settings(int cc, std::int32_t lo, std::int32_t hi)
    {
        TOnlineDisplaySettings s;
        s.ChannelCount = cc;
        for (int c = 0; c < cc; ++c) {
            s.LoY[c] = lo;
            s.HiY[c] = hi;
            s.Shown |= 1u << c;
            s.LeftAxis |= 1u << c;
        }
        return s;
    }
};

TEST(OnlineDraw, RollModeGrowsFromTheLeftAndJoinsColumns)
{
    TFeed f(0, 1, 100, 100);
    for (int i = 0; i < 10; ++i)
        f.Record({static_cast<std::int16_t>(i * 100)});
    const auto s = f.Settings(1, 0, 1000);
    TCanvas canvas;
    PaintOnlineGraph(f.o, s, canvas, 100, 101, true);
    const auto* c = canvas.Channel(0);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->segs.size(), 10u);
    EXPECT_EQ(c->segs[0].X1, 0);
    EXPECT_EQ(c->segs[9].X1, 9);
    // Column 1 (value 100) reaches back to column 0's value 0.
    EXPECT_EQ(c->segs[1].Y1, OnlineValueRow(100, 0, 1000, 101));
    EXPECT_EQ(c->segs[1].Y2, OnlineValueRow(0, 0, 1000, 101));
    EXPECT_EQ(OnlineColumns(f.o, 0).size(), 10u);
    TCanvas idle;
    PaintOnlineGraph(f.o, s, idle, 100, 101, false); // not live: grid only
    EXPECT_EQ(idle.Channel(0), nullptr);
}

TEST(OnlineDraw, OverwriteLeavesAGapAndMarksTheNewest)
{
    TFeed f(0, 1, 100, 100);
    f.o.SimpleCurvMode = 1;
    for (int i = 0; i < 130; ++i) // wrapped: newest at column 29
        f.Record({static_cast<std::int16_t>(i)});
    auto s = f.Settings(1, 0, 200);
    s.DisplayMode = 1;
    TCanvas canvas;
    PaintOnlineGraph(f.o, s, canvas, 100, 201, true);
    const auto* c = canvas.Channel(0);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->segs.size(), 100u - 15u);
    for (const auto& seg : c->segs)
        EXPECT_FALSE(seg.X1 >= 30 && seg.X1 <= 44) << seg.X1;
    const auto* m = canvas.Channel(0, true);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->segs[0].X1, 29 - 2);
    EXPECT_EQ(m->segs[0].Y1, OnlineValueRow(129, 0, 200, 201) - 2);
}

TEST(OnlineDraw, ANewRunNeverPaintsThePreviousRunsColumns)
{
    TFeed f(0, 1, 1000, 100); // ten samples per column
    for (int i = 0; i < 1000; ++i)
        f.Record({-1000});
    f.o.Stop();
    f.o.PrepareRun();
    for (int i = 0; i < 25; ++i) // two closed columns and an open one
        f.Record({1000});
    const auto s = f.Settings(1, -2000, 2000);
    TCanvas canvas;
    PaintOnlineGraph(f.o, s, canvas, 100, 401, true);
    const auto* c = canvas.Channel(0);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->segs.size(), 3u);
    const int minusRow = OnlineValueRow(-1000, -2000, 2000, 401);
    for (const auto& seg : c->segs) {
        EXPECT_NE(seg.Y1, minusRow);
        EXPECT_NE(seg.Y2, minusRow);
    }
}

TEST(OnlineDraw, XYClampsToTheRangeAndAWidthChangeRebuilds)
{
    TFeed f(0, 2, 10, 10);
    for (int i = 0; i < 5; ++i)
        f.Record({static_cast<std::int16_t>(i * 1000), static_cast<std::int16_t>(-i * 1000)});
    auto s = f.Settings(2, 0, 2000);
    s.XChannel = 0;
    TCanvas canvas;
    PaintOnlineGraph(f.o, s, canvas, 101, 101, true);
    const auto* c = canvas.Channel(1);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->segs.size(), 5u);
    for (const auto& seg : c->segs) {
        EXPECT_GE(seg.X2, 0);
        EXPECT_LE(seg.X2, 100);
        EXPECT_EQ(seg.Y2, 100); // negative values clamp to the bottom
    }
    EXPECT_EQ(c->segs.back().X2, 100);     // 4000 clamps to the right edge
    EXPECT_EQ(canvas.Channel(0), nullptr); // the X channel itself is not drawn
    ASSERT_TRUE(canvas.Channel(1, true));
    // A width change mid-run: the columns are rebuilt at the next record.
    f.o.SetRequestedWidth(20);
    f.Record({5000, 0});
    EXPECT_EQ(f.o.DisplayWidth(), 20);
    EXPECT_EQ(OnlineColumnSpan(f.o).Width, 20);
    EXPECT_EQ(OnlineColumnSpan(f.o).Newest, 11);
}

} // namespace
