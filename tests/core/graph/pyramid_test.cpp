#include "core/graph/graphrender.h"
#include "core/graph/minmaxpyramid.h"
#include "core/graph/pyramidcache.h"
#include "core/values/vro8utils.h"
#include "graph_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace vro;
using namespace vro::graph;

namespace {

std::vector<std::int32_t> RandomSamples(std::mt19937& rng, std::size_t n)
{
    std::uniform_int_distribution<std::int32_t> v(-1000000, 1000000);
    std::uniform_int_distribution<int> gap(0, 40);
    std::vector<std::int32_t> d(n);
    for (auto& x : d)
        x = gap(rng) == 0 ? NoValue : v(rng);
    // A long stretch without values, and the extremes of the value range.
    for (std::size_t i = n / 3; i < n / 3 + 5000 && i < n; ++i)
        d[i] = NoValue;
    if (n > 10) {
        d[7] = std::numeric_limits<std::int32_t>::max();
        d[n - 2] = NoValue + 1;
    }
    return d;
}

} // namespace

TEST(MinMaxPyramid, RandomWindowsEqualThePlainPass)
{
    std::mt19937 rng(42);
    for (std::size_t n :
         {std::size_t(0), std::size_t(1), std::size_t(63), std::size_t(64), std::size_t(4097), std::size_t(300000)}) {
        const auto d = RandomSamples(rng, n);
        TMinMaxPyramid p;
        p.Build(d);
        std::uniform_int_distribution<std::int64_t> pos(-5, static_cast<std::int64_t>(n) + 5);
        for (int k = 0; k < 3000; ++k) {
            std::int64_t a = pos(rng), b = pos(rng);
            if (k % 3 == 0)
                b = a + (k % 200); // short windows inside one block
            const TMinMax plain = PlainMinMax(d, a, b);
            EXPECT_EQ(p.Query(d, a, b), plain) << n << " " << a << " " << b;
            const TMinMax low = p.Query(d, a, b, nullptr, TMinMaxPyramid::EWant::Min);
            EXPECT_EQ(low.Empty(), plain.Empty());
            if (!plain.Empty())
                EXPECT_EQ(low.Min, plain.Min);
        }
    }
}

TEST(MinMaxPyramid, ExtendingEqualsRebuilding)
{
    std::mt19937 rng(7);
    auto d = RandomSamples(rng, 100000);
    std::vector<std::int32_t> part(d.begin(), d.begin() + 5000);
    TMinMaxPyramid grown;
    grown.Build(part);
    for (std::size_t n : {5001u, 5100u, 70000u, 70001u, 100000u}) {
        part.assign(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n));
        grown.Extend(part);
        TMinMaxPyramid fresh;
        fresh.Build(part);
        ASSERT_EQ(grown.LevelCount(), fresh.LevelCount());
        std::uniform_int_distribution<std::int64_t> pos(0, static_cast<std::int64_t>(n));
        for (int k = 0; k < 500; ++k) {
            const std::int64_t a = pos(rng), b = pos(rng);
            ASSERT_EQ(grown.Query(part, a, b), PlainMinMax(part, a, b));
        }
    }
}

TEST(MinMaxPyramid, CostsUnderFivePercentOfTheSamples)
{
    std::vector<std::int32_t> d(1 << 20, 1);
    TMinMaxPyramid p;
    p.Build(d);
    EXPECT_LT(static_cast<double>(p.MemoryBytes()), 0.05 * d.size() * sizeof(std::int32_t));
}

TEST(Columns, CountsFollowTheAccumulatorRule)
{
    auto k = ColumnCounts(0, 250, 100);
    EXPECT_EQ(std::vector<std::int32_t>(k.begin(), k.begin() + 5), (std::vector<std::int32_t>{2, 2, 3, 2, 3}));
    std::int64_t sum = 0;
    for (auto n : k)
        sum += n;
    EXPECT_EQ(sum, 249);
    EXPECT_EQ(ColumnCounts(0, 10, 3), (std::vector<std::int32_t>{3, 3, 3}));
    for (auto n : ColumnCounts(0, 1000, 100))
        EXPECT_EQ(n, 10);
}

TEST(Columns, PyramidColumnsEqualPlainColumnsOnRandomWindowsAndShifts)
{
    std::mt19937 rng(3);
    auto r = graphtest::MakeRecording(1, 200000);
    auto& ch = r->Channel(0);
    ch.Values = RandomSamples(rng, 200000);
    TMinMaxPyramid p;
    p.Build(ch.Values);
    std::uniform_int_distribution<std::int32_t> pos(0, 199999);
    std::uniform_int_distribution<std::int32_t> width(1, 2000);
    for (int k = 0; k < 200; ++k) {
        std::int32_t a = pos(rng), b = pos(rng);
        if (a > b)
            std::swap(a, b);
        ch.TimeShift = (k % 4 == 0) ? 0 : pos(rng) - 100000;
        r->TimeShiftActive = k % 5 != 0;
        const std::int32_t w = width(rng);
        const TColumns fast = ChannelColumns(ch, ch.Values, a, b, w, &p);
        const TColumns plain = ChannelColumns(ch, ch.Values, a, b, w, nullptr);
        ASSERT_EQ(fast, plain);
        // And the plain columns are those of GetValue.
        if (k < 20) {
            const auto counts = ColumnCounts(a, b, w);
            std::int32_t i = a;
            for (std::size_t c = 0; c < counts.size(); ++c) {
                TMinMax m;
                for (std::int32_t j = 0; j < counts[c]; ++j, ++i) {
                    const auto v = ch.GetValue(i);
                    if (v != NoValue)
                        m.Add({v, v});
                }
                ASSERT_EQ(plain[c], m);
            }
        }
    }
}

namespace {

// Values onto buckets of a fixed width: the coarse steps make queries skip
// nearly every partial block, so a wrong skip would show.
struct TBuckets : TQuantizer {
    std::int32_t Width;
    explicit TBuckets(std::int32_t w) : Width(w) {}
    std::int64_t Step(std::int32_t v) const
    {
        const std::int64_t x = v;
        return x >= 0 ? x / Width : (x - Width + 1) / Width;
    }
    bool Same(std::int32_t a, std::int32_t b) const override { return Step(a) == Step(b); }
};

} // namespace

TEST(MinMaxPyramid, QuantizedQueriesLandOnThePlainPassSteps)
{
    std::mt19937 rng(11);
    // Noise over a slow ramp: the extremes of a window sit near its ends,
    // in the partial blocks, which is where skipping could go wrong.
    std::vector<std::int32_t> d(400000);
    std::uniform_int_distribution<std::int32_t> noise(-300, 300);
    for (std::size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<std::int32_t>(i / 50) + noise(rng);
    for (std::size_t i = 1000; i < d.size(); i += 997)
        d[i] = NoValue;
    TMinMaxPyramid p;
    p.Build(d);
    std::uniform_int_distribution<std::int64_t> pos(0, static_cast<std::int64_t>(d.size()));
    for (std::int32_t width : {1, 7, 100, 5000}) {
        const TBuckets q(width);
        for (int k = 0; k < 2000; ++k) {
            std::int64_t a = pos(rng), b = pos(rng);
            if (a > b)
                std::swap(a, b);
            const TMinMax plain = PlainMinMax(d, a, b);
            const TMinMax fast = p.Query(d, a, b, &q);
            ASSERT_EQ(fast.Empty(), plain.Empty());
            if (plain.Empty())
                continue;
            ASSERT_TRUE(q.Same(fast.Min, plain.Min)) << width << " " << a << " " << b;
            ASSERT_TRUE(q.Same(fast.Max, plain.Max)) << width << " " << a << " " << b;
            // Never outside the true range: the skipped part only narrows it.
            ASSERT_GE(fast.Min, plain.Min);
            ASSERT_LE(fast.Max, plain.Max);
            // One end alone lands on the same step, the other end copying it.
            const TMinMax low = p.Query(d, a, b, &q, TMinMaxPyramid::EWant::Min);
            const TMinMax high = p.Query(d, a, b, &q, TMinMaxPyramid::EWant::Max);
            ASSERT_TRUE(q.Same(low.Min, plain.Min) && low.Max == low.Min);
            ASSERT_TRUE(q.Same(high.Max, plain.Max) && high.Min == high.Max);
        }
        if (width == 1) // steps of one value: exactly the plain pass
            for (int k = 0; k < 200; ++k) {
                const std::int64_t a = pos(rng), b = a + 70000;
                const TMinMax exact = PlainMinMax(d, a, b);
                ASSERT_EQ(p.Query(d, a, b, &q), exact);
                ASSERT_EQ(p.Query(d, a, b, nullptr, TMinMaxPyramid::EWant::Max).Max, exact.Max);
            }
    }
}

TEST(Columns, StrokesWithPixelRowSkippingEqualThePlainStrokes)
{
    std::mt19937 rng(5);
    auto r = graphtest::MakeRecording(1, 300000);
    auto& ch = r->Channel(0);
    ch.CurrentLoRange = -2000;
    ch.CurrentHiRange = 8000;
    std::uniform_int_distribution<std::int32_t> noise(-150, 150);
    for (std::size_t i = 0; i < ch.Values.size(); ++i)
        ch.Values[i] = static_cast<std::int32_t>(3000 * std::sin(i * 2e-5)) + noise(rng);
    TMinMaxPyramid p;
    p.Build(ch.Values);
    std::uniform_int_distribution<std::int32_t> pos(0, 299999);
    for (int k = 0; k < 100; ++k) {
        std::int32_t a = pos(rng), b = pos(rng);
        if (a > b)
            std::swap(a, b);
        for (std::int32_t h : {99, 1079}) {
            const TColumnRows rows(ch, h);
            const std::int32_t w = 300 + k * 13;
            const TColumns fast = ChannelColumns(ch, ch.Values, a, b, w, &p, &rows);
            const TColumns plain = ChannelColumns(ch, ch.Values, a, b, w, nullptr);
            ASSERT_EQ(ColumnStrokes(ch, fast, h, h + 1), ColumnStrokes(ch, plain, h, h + 1)) << a << " " << b;
        }
    }
}

TEST(PyramidCache, SeesAChannelComputedAnewInPlaceAndGrowth)
{
    std::vector<std::int32_t> d(10000, 5);
    TPyramidCache cache;
    EXPECT_EQ(cache.For(0, d).Query(d, 0, 10000), (TMinMax{5, 5}));
    for (auto& v : d)
        v = 7; // e.g. a filter written over the same array
    EXPECT_EQ(cache.For(0, d).Query(d, 0, 10000), (TMinMax{7, 7}));
    d.reserve(20000);
    const auto* before = d.data();
    d.push_back(9);
    if (d.data() == before) // grown in place: extended, not rebuilt
        EXPECT_EQ(cache.For(0, d).Query(d, 9990, 10001), (TMinMax{7, 9}));
    cache.Clear();
    EXPECT_EQ(cache.For(0, d).Query(d, 0, 10001), (TMinMax{7, 9}));
}

TEST(PyramidCache, ReferencesSurviveRequestsForOtherSlots)
{
    std::vector<std::int32_t> a(5000, 1), b(5000, 2);
    TPyramidCache cache;
    const TMinMaxPyramid& pa = cache.For(1, a);
    for (int slot = 2; slot < 100; ++slot)
        cache.For(slot, b);
    EXPECT_EQ(pa.Query(a, 0, 5000), (TMinMax{1, 1}));
}

TEST(Columns, PixelRowQuantizersAgreeWithTheChannelsOwnScaling)
{
    std::mt19937 rng(9);
    auto r = graphtest::MakeRecording(1, 10);
    auto& ch = r->Channel(0);
    std::uniform_int_distribution<std::int32_t> any(-2000000000, 2000000000), small(-30000, 30000);
    for (int k = 0; k < 50; ++k) {
        ch.CurrentLoRange = small(rng);
        ch.CurrentHiRange = k % 10 == 0 ? ch.CurrentLoRange : small(rng); // empty and reversed ranges too
        for (std::int32_t h : {1, 99, 1079}) {
            const TColumnRows rows(ch, h);
            const TEnvelopeRows envelope(ch, h);
            for (int i = 0; i < 200; ++i) {
                const std::int32_t a = i % 2 ? any(rng) : small(rng), b = a + small(rng) % 50;
                const double f = ch.ValueToRelative(a);
                const double y = std::nearbyint(-f * h);
                if (std::abs(y) <= 536870912.0) // 2^29
                    ASSERT_EQ(rows.Row(a), h + static_cast<std::int32_t>(y));
                else // far off the plot: held beyond the edge on the right side
                    ASSERT_TRUE(y < 0 ? rows.Row(a) < -1000000 : rows.Row(a) > 1000000);
                if (envelope.Same(a, b))
                    ASSERT_EQ(ch.ScaleValue(a, 0, h), ch.ScaleValue(b, 0, h)) << a << " " << b;
            }
        }
    }
}

TEST(Columns, BoundedRoundingIsHalfToEven)
{
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> wide(-1e15, 1e15), narrow(-3000, 3000);
    for (int i = 0; i < 100000; ++i) {
        const double x = i % 3 == 0 ? wide(rng) : i % 3 == 1 ? narrow(rng) : std::floor(narrow(rng)) + 0.5;
        ASSERT_EQ(RoundEvenBounded(x), std::nearbyint(x)) << x;
    }
    EXPECT_EQ(RoundEvenBounded(2.5), 2.0);
    EXPECT_EQ(RoundEvenBounded(-3.5), -4.0);
    EXPECT_EQ(RoundEvenBounded(1e300), 1125899906842624.0); // held at 2^50
}
