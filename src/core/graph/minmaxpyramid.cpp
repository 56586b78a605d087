#include "core/graph/minmaxpyramid.h"

#include <algorithm>

namespace vro::graph {

namespace {

constexpr std::int32_t kNoValue = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kBig = std::numeric_limits<std::int32_t>::max();

// A loop the compiler turns into vector min/max: the no-value marker becomes
// the neutral element of the minimum; for the maximum it already is one.
// Built for AVX2 as well as the baseline, whose 32-bit vector minimum and
// maximum take several instructions; the loader picks what the processor
// has (not under ThreadSanitizer, whose start-up cannot run the resolver).
#if defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
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

// The blocks [first, last) of a level. A query takes fewer than FanOut
// blocks at each end of each level, too few for vector code to pay for its
// set-up: those go one by one, longer runs through the vector loop.
template <typename TLevel>
TMinMax BlockRange(const TLevel& level, std::int64_t first, std::int64_t last)
{
    std::int32_t lo = kBig, hi = kNoValue;
    const std::int32_t* mn = level.Min.data();
    const std::int32_t* mx = level.Max.data();
    if (last - first < 16) {
        for (std::int64_t i = first; i < last; ++i) {
            lo = std::min(lo, mn[i]);
            hi = std::max(hi, mx[i]);
#if defined(__GNUC__)
            asm("" : "+r"(lo), "+r"(hi)); // keeps this loop scalar
#endif
        }
    } else {
        for (std::int64_t i = first; i < last; ++i) {
            lo = mn[i] < lo ? mn[i] : lo;
            hi = mx[i] > hi ? mx[i] : hi;
        }
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

TMinMax TMinMaxPyramid::Query(std::span<const std::int32_t> data, std::int64_t first, std::int64_t last,
                              const TQuantizer* same) const
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, static_cast<std::int64_t>(std::min(data.size(), count_)));
    TMinMax r;
    if (first >= last)
        return r;
    // Whole blocks [a, b) of level 0; samples before a and after b.
    std::int64_t a = (first + BlockSize - 1) / BlockSize;
    std::int64_t b = last / BlockSize;
    if (a >= b)
        return RawRange(data.data() + first, last - first);
    const std::int64_t headBlock = a - 1, tailBlock = b;
    // Climb while a coarser level fits, taking the blocks left over at each end.
    for (std::size_t k = 0; k < levels_.size(); ++k) {
        const auto& level = levels_[k];
        const std::int64_t a2 = (a + FanOut - 1) / FanOut;
        const std::int64_t b2 = b / FanOut;
        if (k + 1 >= levels_.size() || a2 >= b2) {
            r.Add(BlockRange(level, a, b));
            break;
        }
        r.Add(BlockRange(level, a, a2 * FanOut));
        r.Add(BlockRange(level, b2 * FanOut, b));
        a = a2;
        b = b2;
    }
    // The partial blocks at the ends: their samples are read only when the
    // block as a whole reaches beyond the extremes found so far (or, with a
    // quantizer, beyond their step), since otherwise no sample of its part
    // can change them. These scattered reads are what a long query costs.
    const auto& level0 = levels_[0];
    auto partial = [&](std::int64_t block, std::int64_t from, std::int64_t to) {
        if (from >= to)
            return;
        const auto i = static_cast<std::size_t>(block);
        const std::int32_t lo = level0.Min[i], hi = level0.Max[i];
        const bool minKept = lo >= r.Min || (same && !r.Empty() && same->Same(lo, r.Min));
        const bool maxKept = hi <= r.Max || (same && !r.Empty() && same->Same(hi, r.Max));
        if (minKept && maxKept)
            return;
        r.Add(RawRange(data.data() + from, to - from));
    };
    partial(headBlock, first, (headBlock + 1) * BlockSize);
    partial(tailBlock, tailBlock * BlockSize, last);
    return r;
}

void TMinMaxPyramid::Prefetch(std::span<const std::int32_t> data, std::int64_t boundary) const
{
    if (boundary <= 0 || boundary >= static_cast<std::int64_t>(std::min(data.size(), count_)))
        return;
    // A query's runs on a level end at most FanOut blocks from the boundary.
    std::int64_t at = boundary / BlockSize;
    for (std::size_t k = 0; k < levels_.size() && k < 2; ++k, at /= FanOut) {
        const auto& level = levels_[k];
        const auto lo = static_cast<std::size_t>(std::max<std::int64_t>(at - FanOut, 0));
        const auto hi = std::min(static_cast<std::size_t>(at + FanOut), level.Size() - 1);
        for (const auto* a : {&level.Min, &level.Max}) {
            __builtin_prefetch(a->data() + lo);
            __builtin_prefetch(a->data() + hi);
        }
    }
}

std::size_t TMinMaxPyramid::MemoryBytes() const
{
    std::size_t s = 0;
    for (const auto& l : levels_)
        s += (l.Min.capacity() + l.Max.capacity()) * sizeof(std::int32_t);
    return s;
}

} // namespace vro::graph
