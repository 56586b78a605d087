// The online stream's decoding, column extremes and run ends, fed with
// records built here byte by byte, checked against a plain reference
// computation over the same samples.
#include "device/vro8online.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <thread>

using namespace vro;

namespace {

std::vector<std::uint8_t> Record(const std::vector<std::int16_t>& values, std::uint8_t status, bool badSum = false)
{
    std::vector<std::uint8_t> r{0x88, 0x88};
    std::uint8_t sum = 0;
    for (auto v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        r.push_back(u & 0xFF);
        r.push_back(u >> 8);
        sum = static_cast<std::uint8_t>(sum + (u & 0xFF) + (u >> 8));
    }
    r.push_back(status);
    r.push_back(badSum ? static_cast<std::uint8_t>(sum + 1) : sum);
    return r;
}

std::vector<std::uint8_t> Event(const std::vector<std::array<std::int16_t, 3>>& t, std::uint8_t status)
{
    std::vector<std::uint8_t> r{0x88, 0x88};
    for (const auto& x : t)
        for (auto v : x) {
            r.push_back(static_cast<std::uint16_t>(v) & 0xFF);
            r.push_back(static_cast<std::uint16_t>(v) >> 8);
        }
    r.push_back(status);
    r.push_back(0x99);
    return r;
}

// A device over a memory port nobody answers: the stream is fed by hand.
struct TFixture {
    TDvxV24MemoryPortPair pair;
    TDvxV24Connector connector{pair.TakeA()};
    TVro8Device device{connector};
    TVro8OnlineRecording& online = device.OnlineRecording();
    std::deque<std::uint8_t> bytes;

    TFixture()
    {
        online.Now = [] { return 45000.5; };
    }
    void Push(const std::vector<std::uint8_t>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    // One Poll; true when it consumed bytes.
    void Poll()
    {
        online.PollFrom([this] {
            if (bytes.empty())
                throw std::runtime_error("no byte");
            const std::uint8_t b = bytes.front();
            bytes.pop_front();
            return b;
        });
    }
    void Configure(int type, int cc, int L, int W)
    {
        online.RecordingType = type;
        online.ChannelCount = cc;
        online.BufferLength = L;
        online.SetDisplayWidth(W);
    }
};

std::int16_t Sample(long k, int c)
{
    long v = (k * (c + 3)) % 3000 - 1500;
    if (k % 13 == 5)
        v += 900 - c * 50;
    return static_cast<std::int16_t>(v);
}

// Every closed column's extremes against the ring's current content.
void ExpectColumnsMatchRing(const TVro8OnlineRecording& o, int cc, int L)
{
    const int W = o.DisplayWidth();
    const int n = o.Wrapped() ? L : o.WriteIndex();
    for (int c = 0; c < cc; ++c) {
        if (L > W) {
            const int open = o.Column();
            std::vector<int> lo(W, INT32_MAX), hi(W, INT32_MIN);
            for (int p = 0; p < n; ++p) {
                const int col = static_cast<int>(static_cast<long long>(p) * W / L);
                lo[col] = std::min(lo[col], o.Value(c, p));
                hi[col] = std::max(hi[col], o.Value(c, p));
            }
            for (int col = 0; col < W; ++col) {
                if (col == open || lo[col] == INT32_MAX)
                    continue;
                ASSERT_EQ(o.ColumnMin(c, col), lo[col]) << "channel " << c << " column " << col;
                ASSERT_EQ(o.ColumnMax(c, col), hi[col]) << "channel " << c << " column " << col;
            }
            if (open >= 0) {
                // The open column so far: the run values cover its samples up to the newest.
                EXPECT_LE(o.RunMin(c), o.RunMax(c));
            }
        } else {
            for (int p = 0; p < n; ++p) {
                const int first = static_cast<int>(static_cast<long long>(p) * W / L);
                const int last = std::min(static_cast<int>(static_cast<long long>(p + 1) * W / L) - 1, W - 1);
                for (int col = first; col <= last; ++col) {
                    ASSERT_EQ(o.ColumnMin(c, col), o.Value(c, p)) << "column " << col;
                    ASSERT_EQ(o.ColumnMax(c, col), o.Value(c, p)) << "column " << col;
                }
            }
        }
    }
}

} // namespace

TEST(OnlineStream, ColumnExtremesMatchAReferenceAcrossWrapsAndWidthChanges)
{
    struct TCase {
        int L, W, records, newWidth;
    };
    for (const TCase t :
         {TCase{1000, 300, 2500, 700}, TCase{2000, 500, 1999, 450}, TCase{500, 2000, 1300, 1999}, TCase{7, 3, 40, 5}}) {
        SCOPED_TRACE("L " + std::to_string(t.L) + " W " + std::to_string(t.W));
        TFixture f;
        f.Configure(0, 3, t.L, t.W);
        f.online.SimpleCurvMode = 1;
        f.online.PrepareRun();
        for (long k = 0; k < t.records; ++k) {
            if (k == t.records / 2)
                f.online.SetRequestedWidth(t.newWidth);
            f.Push(Record({Sample(k, 0), Sample(k, 1), Sample(k, 2)}, 0));
            f.Poll();
            if (k % 97 == 0 || k == t.records - 1)
                ExpectColumnsMatchRing(f.online, 3, t.L);
        }
        EXPECT_TRUE(f.online.Running());
        EXPECT_EQ(f.online.RecordCount(), t.records);
        EXPECT_EQ(f.online.DisplayWidth(), t.newWidth);
        EXPECT_EQ(f.online.NewestValue(2), Sample(t.records - 1, 2));
    }
}

TEST(OnlineStream, NewDataOncePerCompletedColumn)
{
    TFixture f;
    f.Configure(0, 1, 2000, 500);
    f.online.PrepareRun();
    std::vector<int> raised;
    for (int k = 1; k <= 21; ++k) {
        f.Push(Record({static_cast<std::int16_t>(k)}, 0));
        f.Poll();
        if (f.online.TakeNewData())
            raised.push_back(k);
    }
    EXPECT_EQ(raised, (std::vector<int>{1, 5, 9, 13, 17, 21}));

    TFixture g;
    g.Configure(0, 1, 500, 2000);
    g.online.PrepareRun();
    for (int k = 1; k <= 3; ++k) {
        g.Push(Record({static_cast<std::int16_t>(k)}, 0));
        g.Poll();
        EXPECT_TRUE(g.online.TakeNewData());
        EXPECT_EQ(g.online.Column(), 4 * k - 1); // each record fills four columns
    }
}

TEST(OnlineStream, SimpleCurveEndsWhenTheRingIsFull)
{
    TFixture f;
    f.Configure(0, 2, 1000, 400);
    f.online.SimpleCurvMode = 0;
    f.online.PrepareRun();
    for (int k = 0; k < 1000; ++k) {
        ASSERT_TRUE(f.online.Running());
        f.Push(Record({Sample(k, 0), Sample(k, 1)}, 0));
        f.Poll();
    }
    EXPECT_FALSE(f.online.Running());
    EXPECT_TRUE(f.online.Wrapped());
    EXPECT_EQ(f.online.EndColumn(), 399);
    EXPECT_EQ(f.online.HandOverCount(), 1000);
    EXPECT_EQ(f.online.Value(1, 999), Sample(999, 1));
}

TEST(OnlineStream, TriggeredRunCountsPreAndPostRecords)
{
    TFixture f;
    f.Configure(1, 1, 1000, 500);
    f.online.TriggerPosition = 3;
    f.online.PrepareRun();
    EXPECT_EQ(f.online.PreLimit(), 300);
    EXPECT_EQ(f.online.PostLimit(), 700);
    int k = 0;
    while (f.online.Running() && k < 5000) {
        ++k;
        f.Push(Record({static_cast<std::int16_t>(k)}, k >= 500 ? 0x02 : 0x00));
        f.Poll();
    }
    EXPECT_EQ(k, 1200); // 300 pre, 199 beyond the pre limit, 700 post, then the stop
    EXPECT_EQ(f.online.TriggerState(), 2);
    EXPECT_EQ(f.online.TriggerTime(), 45000.5);
    EXPECT_EQ(f.online.PreCount(), 300);
    EXPECT_EQ(f.online.PostCount(), 700);
    EXPECT_EQ(f.online.HandOverCount(), 1000);
}

TEST(OnlineStream, BadChecksumAndJunkBytes)
{
    TFixture f;
    f.Configure(1, 2, 100, 50);
    f.online.PrepareRun();
    f.Push(Record({1, 2}, 0));
    f.Poll();
    f.Push(Record({77, 78}, 0x04, true)); // dropped, but its status is the trigger
    f.Poll();
    EXPECT_EQ(f.online.WriteIndex(), 1);
    EXPECT_EQ(f.online.RecordCount(), 1);
    EXPECT_EQ(f.online.TriggerState(), 4);
    f.Push({0x88, 0x01});
    f.Push(Record({5, 6}, 0));
    f.Poll(); // 88 01: skipped
    EXPECT_EQ(f.online.RecordCount(), 1);
    f.Poll();
    EXPECT_EQ(f.online.RecordCount(), 2);
    EXPECT_EQ(f.online.Value(0, 1), 5); // the dropped record's values were overwritten
    EXPECT_TRUE(f.bytes.empty());
    f.Push({0x01});
    f.Poll();
    EXPECT_EQ(f.online.RecordCount(), 2);
}

TEST(OnlineStream, EventLogStoresEventsAndStopsWhenFull)
{
    TFixture f;
    f.Configure(2, 32, 3, 100);
    f.online.PrepareRun();
    std::vector<std::array<std::int16_t, 3>> t(32);
    for (int k = 0; k < 8 && f.online.Running(); ++k) {
        for (int c = 0; c < 32; ++c)
            t[c] = {static_cast<std::int16_t>(k * 100 + c), static_cast<std::int16_t>(-k),
                    static_cast<std::int16_t>(k)};
        f.Push(Event(t, k % 2 ? 0x01 : 0x00));
        f.Poll();
    }
    // Events at k = 1, 3, 5 fill the three entries; the run then ends as full.
    EXPECT_FALSE(f.online.Running());
    EXPECT_TRUE(f.online.BufferFull());
    EXPECT_EQ(f.online.WriteIndex(), 3);
    EXPECT_EQ(f.online.RecordCount(), 6);
    EXPECT_EQ(f.online.Value(31, 2), 531);
    EXPECT_EQ(f.online.MinValue(0, 0), -1);
    EXPECT_EQ(f.online.MaxValue(5, 1), 3);
    EXPECT_EQ(f.online.State(2), 1);
    EXPECT_EQ(f.online.TimeStamp(0), static_cast<std::int32_t>((45000.5 - 36526.0) * 86400.0 + 0.5));
    EXPECT_EQ(f.online.HandOverCount(), 3);
    EXPECT_THROW(f.online.Value(0, 3), EVro8Device);
}

TEST(OnlineStream, EventLogTakesAManualEventAtTheNextRecord)
{
    TFixture f;
    f.Configure(2, 1, 10, 100);
    f.online.PrepareRun();
    f.online.ReleaseTrigger(0x10);
    f.Push(Event({{7, 6, 8}}, 0));
    f.Poll();
    EXPECT_EQ(f.online.WriteIndex(), 1);
    EXPECT_EQ(f.online.State(0), 0x10);
    f.Push(Event({{9, 9, 9}}, 0));
    f.Poll();
    EXPECT_EQ(f.online.WriteIndex(), 1);
    EXPECT_EQ(f.online.NewestValue(0), 9);
}

TEST(OnlineStream, ParametersAreGuardedAtStart)
{
    TFixture f;
    f.Configure(0, 33, 100, 100);
    EXPECT_THROW(f.online.PrepareRun(), EVro8Device);
    f.Configure(0, 0, 100, 100);
    EXPECT_THROW(f.online.PrepareRun(), EVro8Device);
    f.Configure(0, 1, 0, 100);
    EXPECT_THROW(f.online.PrepareRun(), EVro8Device);
    f.Configure(3, 1, 10, 100);
    EXPECT_THROW(f.online.PrepareRun(), EVro8Device);
    EXPECT_FALSE(f.online.Running());

    f.Configure(1, 1, 10, 0);
    f.online.TriggerPosition = 11;
    f.online.PrepareRun();
    EXPECT_EQ(f.online.DisplayWidth(), 1);
    EXPECT_EQ(f.online.PreLimit(), 10);
    EXPECT_EQ(f.online.PostLimit(), 0);
    f.online.SetRequestedWidth(100000);
    f.Push(Record({1}, 0));
    f.Poll();
    EXPECT_EQ(f.online.DisplayWidth(), 2048);
    EXPECT_LE(f.online.EndColumn(), 2048);
    f.online.Stop();
    EXPECT_FALSE(f.online.Running());
    EXPECT_THROW(f.online.ColumnMin(0, 2049), EVro8Device);
}

// A writer decodes while a reader draws: run under ThreadSanitizer.
TEST(OnlineStream, WriterAndReaderThreads)
{
    TFixture f;
    f.Configure(0, 4, 3000, 700);
    f.online.SimpleCurvMode = 1;
    f.online.PrepareRun();
    std::vector<std::uint8_t> stream;
    for (long k = 0; k < 20000; ++k) {
        auto r = Record({Sample(k, 0), Sample(k, 1), Sample(k, 2), Sample(k, 3)}, k == 9000 ? 1 : 0);
        stream.insert(stream.end(), r.begin(), r.end());
    }
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::size_t pos = 0;
        while (pos < stream.size())
            f.online.PollFrom([&] { return stream[pos++]; });
        done.store(true);
    });
    long sum = 0;
    int frames = 0;
    while (!done.load() || frames == 0) {
        if (f.online.TakeNewData() || done.load()) {
            ++frames;
            const int w = f.online.DisplayWidth();
            for (int c = 0; c < 4; ++c)
                for (int col = f.online.StartColumn(); col <= std::min(f.online.EndColumn(), w - 1); ++col)
                    sum += f.online.ColumnMax(c, col) - f.online.ColumnMin(c, col);
            const int n = f.online.Wrapped() ? 3000 : f.online.WriteIndex();
            for (int i = 0; i < n; i += 50)
                sum += f.online.Value(1, i);
            if (frames % 7 == 0)
                f.online.SetRequestedWidth(600 + frames % 300);
        }
        std::this_thread::yield();
    }
    writer.join();
    EXPECT_GT(frames, 0);
    EXPECT_EQ(f.online.RecordCount(), 20000);
    EXPECT_EQ(f.online.TriggerState(), 1);
    ExpectColumnsMatchRing(f.online, 4, 3000);
    (void)sum;
}
