#include "core/graph/minmaxpyramid.h"

#include <algorithm>

namespace vro::graph {

namespace {

constexpr std::int32_t kNoValue = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kBig = std::numeric_limits<std::int32_t>::max();

// A loop the compiler turns into vector min/max: the no-value marker becomes
// the neutral element of the minimum; for the maximum it already is one.
TMinMax RawRange(const std::int32_t* p, std::int64_t n)
{
    std::int32_t lo = kBig, hi = kNoValue;
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int32_t v = p[i];
        const std::int32_t m = v == kNoValue ? kBig : v;
        lo = m < lo ? m : lo;
        hi = v > hi ? v : hi;
    }
    TMinMax r;
    // A range of no values only stays empty even when a value equals kBig.
    if (hi != kNoValue) {
        r.Min = lo;
        r.Max = hi;
    }
    return r;
}

template <typename TLevel>
TMinMax BlockRange(const TLevel& level, std::int64_t first, std::int64_t last)
{
    std::int32_t lo = kBig, hi = kNoValue;
    const std::int32_t* mn = level.Min.data();
    const std::int32_t* mx = level.Max.data();
    for (std::int64_t i = first; i < last; ++i) {
        lo = mn[i] < lo ? mn[i] : lo;
        hi = mx[i] > hi ? mx[i] : hi;
    }
    TMinMax r;
    r.Min = lo;
    r.Max = hi;
    return r;
}

} // namespace

TMinMax PlainMinMax(std::span<const std::int32_t> data, std::int64_t first, std::int64_t last)
{
    TMinMax r;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, static_cast<std::int64_t>(data.size()));
    for (std::int64_t i = first; i < last; ++i) {
        const std::int32_t v = data[static_cast<std::size_t>(i)];
        if (v == kNoValue)
            continue;
        r.Min = std::min(r.Min, v);
        r.Max = std::max(r.Max, v);
    }
    return r;
}

void TMinMaxPyramid::Build(std::span<const std::int32_t> data)
{
    levels_.clear();
    count_ = 0;
    BuildFrom(data, 0);
}

void TMinMaxPyramid::Extend(std::span<const std::int32_t> data)
{
    if (data.size() < count_) {
        Build(data);
        return;
    }
    // The last level-0 block may have been partial: recompute from it on.
    BuildFrom(data, count_ / BlockSize);
}

void TMinMaxPyramid::BuildFrom(std::span<const std::int32_t> data, std::size_t firstBlock)
{
    const std::size_t n = data.size();
    count_ = n;
    std::size_t below = n; // entries of the level below
    std::size_t from = firstBlock;
    for (std::size_t level = 0;; ++level) {
        const std::size_t fan = level == 0 ? BlockSize : FanOut;
        const std::size_t blocks = (below + fan - 1) / fan;
        if (blocks <= 1 && level > 0) {
            levels_.resize(level);
            break;
        }
        if (levels_.size() <= level)
            levels_.emplace_back();
        auto& cur = levels_[level];
        cur.Min.resize(blocks);
        cur.Max.resize(blocks);
        for (std::size_t b = std::min(from, blocks); b < blocks; ++b) {
            const std::size_t a = b * fan;
            const std::size_t e = std::min(below, a + fan);
            const TMinMax m = level == 0
                                  ? RawRange(data.data() + a, static_cast<std::int64_t>(e - a))
                                  : BlockRange(levels_[level - 1], static_cast<std::int64_t>(a),
                                               static_cast<std::int64_t>(e));
            cur.Min[b] = m.Min;
            cur.Max[b] = m.Max;
        }
        below = blocks;
        from = from / FanOut;
        if (blocks <= 1)
            break;
    }
}

TMinMax TMinMaxPyramid::Query(std::span<const std::int32_t> data, std::int64_t first, std::int64_t last) const
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, static_cast<std::int64_t>(std::min(data.size(), count_)));
    TMinMax r;
    if (first >= last)
        return r;
    // Samples up to the first block boundary and after the last one.
    std::int64_t a = (first + BlockSize - 1) / BlockSize;
    std::int64_t b = last / BlockSize;
    if (a >= b) {
        return RawRange(data.data() + first, last - first);
    }
    r.Add(RawRange(data.data() + first, a * BlockSize - first));
    r.Add(RawRange(data.data() + b * BlockSize, last - b * BlockSize));
    // Whole blocks [a, b) of level k; climb while a coarser level fits.
    for (std::size_t k = 0; k < levels_.size(); ++k) {
        const auto& level = levels_[k];
        const std::int64_t a2 = (a + FanOut - 1) / FanOut;
        const std::int64_t b2 = b / FanOut;
        if (k + 1 >= levels_.size() || a2 >= b2) {
            r.Add(BlockRange(level, a, b));
            return r;
        }
        r.Add(BlockRange(level, a, a2 * FanOut));
        r.Add(BlockRange(level, b2 * FanOut, b));
        a = a2;
        b = b2;
    }
    return r;
}

std::size_t TMinMaxPyramid::MemoryBytes() const
{
    std::size_t s = 0;
    for (const auto& l : levels_)
        s += (l.Min.capacity() + l.Max.capacity()) * sizeof(std::int32_t);
    return s;
}

} // namespace vro::graph
