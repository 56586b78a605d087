#include "core/calc/filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace vro;

namespace {
constexpr std::int32_t NV = TFilter::kNoValue;

std::vector<std::int32_t> Filter(const std::vector<std::int32_t>& src, std::int32_t width)
{
    std::vector<std::int32_t> out(src.size());
    TFilter::Apply(src, width, out);
    return out;
}

// The window of sample i as the filter defines it, averaged directly.
std::vector<std::int32_t> Direct(const std::vector<std::int32_t>& src, std::int32_t width)
{
    const std::int64_t n = static_cast<std::int64_t>(src.size());
    const std::int64_t h = TFilter::EffectiveWidth(width, n) / 2;
    std::vector<std::int32_t> out(src.size());
    for (std::int64_t i = 0; i < n; ++i) {
        std::int64_t lo, hi;
        if (i < h) {
            lo = 0;
            hi = 2 * i + 1;
        } else if (i <= n - 1 - h) {
            lo = i - h + 1;
            hi = i + h;
        } else {
            lo = 2 * i - n + 2;
            hi = n - 1;
        }
        long double sum = 0;
        std::int64_t c = 0;
        for (std::int64_t k = lo; k <= hi; ++k)
            if (src[static_cast<std::size_t>(k)] != NV) {
                sum += src[static_cast<std::size_t>(k)];
                ++c;
            }
        out[static_cast<std::size_t>(i)] =
            c ? static_cast<std::int32_t>(std::nearbyint(static_cast<double>(sum / c))) : NV;
    }
    return out;
}
} // namespace

TEST(Filter, RampAndSpike)
{
    EXPECT_EQ(Filter({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, 5),
              (std::vector<std::int32_t>{15, 25, 35, 45, 55, 65, 75, 85, 95, NV}));
    EXPECT_EQ(Filter({0, 0, 0, 100, 0, 0, 0, 0, 0, 0}, 5),
              (std::vector<std::int32_t>{0, 25, 25, 25, 25, 0, 0, 0, 0, NV}));
}

TEST(Filter, ShortRecordingsAndWidths)
{
    EXPECT_EQ(Filter({1, 2, 3}, 5), (std::vector<std::int32_t>{NV, NV, NV}));
    EXPECT_EQ(Filter({1}, 5), (std::vector<std::int32_t>{NV}));
    EXPECT_TRUE(Filter({}, 5).empty());
    EXPECT_EQ(TFilter::EffectiveWidth(1, 100), 5);
    EXPECT_EQ(TFilter::EffectiveWidth(1000, 100), 98);
    EXPECT_EQ(TFilter::EffectiveWidth(99, 100), 98);
    EXPECT_EQ(TFilter::SliderWidth(7), 0); // made 5 by EffectiveWidth
    EXPECT_EQ(TFilter::SliderWidth(13), 14);
    EXPECT_EQ(TFilter::SliderWidth(20), 1024);
    EXPECT_EQ(TFilter::SliderWidth(25), 9537);
    EXPECT_EQ(TFilter::SliderWidth(40), 1048576);
}

TEST(Filter, RunningSumEqualsDirectAverageOnRandomData)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        const std::size_t n = 1 + rng() % 600;
        std::vector<std::int32_t> src(n);
        for (auto& v : src) {
            const unsigned r = rng() % 20;
            v = r == 0   ? NV
                : r == 1 ? 1000000000
                : r == 2 ? -1000000000
                         : static_cast<std::int32_t>(rng() % 20001) - 10000;
        }
        for (std::int32_t w : {1, 5, 6, 7, 14, 99, 100, 257, 1000, 1048576})
            ASSERT_EQ(Filter(src, w), Direct(src, w)) << "n=" << n << " w=" << w;
    }
}

TEST(Filter, AllEmptyWindowGivesNoValue)
{
    std::vector<std::int32_t> src(20, NV);
    src[0] = 5;
    const auto out = Filter(src, 5);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[10], NV);
}

// Long recordings slide through several blocks of the vector quotients,
// with a last block that is not full and windows that hold no value at all
// (a stretch of markers wider than the window) in the middle of a block.
TEST(Filter, LongRecordingsWithEmptyWindowsEqualDirectAverage)
{
    std::mt19937 rng(5);
    for (const std::size_t n : {std::size_t(1029), std::size_t(5000)}) {
        std::vector<std::int32_t> src(n);
        for (auto& v : src)
            v = static_cast<std::int32_t>(rng() % 2000001) - 1000000;
        for (std::size_t k = 700; k < 800; ++k)
            src[k] = NV;
        src[3] = 2147483647;
        src[4] = -2147483647;
        for (std::int32_t w : {5, 14, 99, 1000})
            ASSERT_EQ(Filter(src, w), Direct(src, w)) << "n=" << n << " w=" << w;
        // Halves exactly between two integers round to the even one.
        std::vector<std::int32_t> halves(n);
        for (std::size_t k = 0; k < n; ++k)
            halves[k] = static_cast<std::int32_t>(k % 2);
        ASSERT_EQ(Filter(halves, 6), Direct(halves, 6));
    }
}
