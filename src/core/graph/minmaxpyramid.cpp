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
TMinMax
RawRange(const std::int32_t* p, std::int64_t n)
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

// The blocks [first, last) of a level, one or both of its arrays. A query
// takes fewer than FanOut blocks at each end of each level, too few for
// vector code to pay for its set-up: those go one by one, longer runs
// through the vector loop.
std::int32_t RunMin(const std::int32_t* mn, std::int64_t first, std::int64_t last)
{
    std::int32_t lo = kBig;
    if (last - first < 16) {
        for (std::int64_t i = first; i < last; ++i) {
            lo = std::min(lo, mn[i]);
#if defined(__GNUC__)
            asm("" : "+r"(lo)); // keeps this loop scalar
#endif
        }
    } else {
        for (std::int64_t i = first; i < last; ++i)
            lo = mn[i] < lo ? mn[i] : lo;
    }
    return lo;
}

std::int32_t RunMax(const std::int32_t* mx, std::int64_t first, std::int64_t last)
{
    std::int32_t hi = kNoValue;
    if (last - first < 16) {
        for (std::int64_t i = first; i < last; ++i) {
            hi = std::max(hi, mx[i]);
#if defined(__GNUC__)
            asm("" : "+r"(hi));
#endif
        }
    } else {
        for (std::int64_t i = first; i < last; ++i)
            hi = mx[i] > hi ? mx[i] : hi;
    }
    return hi;
}

template <typename TLevel>
TMinMax BlockRange(const TLevel& level, std::int64_t first, std::int64_t last,
                   TMinMaxPyramid::EWant want = TMinMaxPyramid::EWant::Both)
{
    TMinMax r;
    if (want != TMinMaxPyramid::EWant::Max)
        r.Min = RunMin(level.Min.data(), first, last);
    if (want != TMinMaxPyramid::EWant::Min)
        r.Max = RunMax(level.Max.data(), first, last);
    return r;
}

// A one-sided result as a pair: the other end copies the wanted one, so
// that Empty() still tells whether the range held any value.
TMinMax Only(TMinMax r, TMinMaxPyramid::EWant want)
{
    if (want == TMinMaxPyramid::EWant::Min && r.Min != kBig)
        r.Max = r.Min;
    else if (want == TMinMaxPyramid::EWant::Max)
        r.Min = r.Max == kNoValue ? kBig : r.Max;
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
            const TMinMax m =
                level == 0 ? RawRange(data.data() + a, static_cast<std::int64_t>(e - a))
                           : BlockRange(levels_[level - 1], static_cast<std::int64_t>(a), static_cast<std::int64_t>(e));
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
                              const TQuantizer* same, EWant want) const
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, static_cast<std::int64_t>(std::min(data.size(), count_)));
    TMinMax r;
    if (first >= last)
        return r;
    // Whole blocks of level k: [a[k], b[k]). The top level t is the coarsest
    // that has any; below it every level has some.
    constexpr int kMaxLevels = 16; // 64 × 8^15 samples: far beyond any array, and shifts stay below 64
    std::int64_t a[kMaxLevels], b[kMaxLevels];
    int t = -1;
    // Block sizes are powers of two (64 × 8^k): shifts, not divisions.
    static_assert(BlockSize == 64 && FanOut == 8);
    int shift = BlockShift;
    for (int k = 0; k < static_cast<int>(levels_.size()) && k < kMaxLevels; ++k, shift += 3) {
        a[k] = (first + (std::int64_t(1) << shift) - 1) >> shift;
        b[k] = last >> shift;
        if (a[k] >= b[k])
            break;
        t = k;
    }
    if (t < 0) // samples only: both ends come at once
        return Only(RawRange(data.data() + first, last - first), want);
    r.Add(BlockRange(levels_[static_cast<std::size_t>(t)], a[t], b[t], want));

    // Then outwards from the middle, level by level down to the samples.
    // What is left at an end lies inside one block of the level above; it
    // is looked into only when that block as a whole reaches beyond the
    // extremes found so far (or, with a quantizer, beyond their step), since
    // otherwise nothing in it can change them. On long windows most ends
    // stop at the first look, which saves the scattered reads a query costs.
    auto kept = [&](const TLevel& level, std::int64_t block) {
        const auto i = static_cast<std::size_t>(block);
        if (want != EWant::Max) {
            const std::int32_t lo = level.Min[i];
            if (lo < r.Min && !(same && r.Min != kBig && same->Same(lo, r.Min)))
                return false;
        }
        if (want != EWant::Min) {
            const std::int32_t hi = level.Max[i];
            if (hi > r.Max && !(same && r.Max != kNoValue && same->Same(hi, r.Max)))
                return false;
        }
        return true;
    };
    bool leftOpen = true, rightOpen = true;
    for (int k = t - 1; k >= -1 && (leftOpen || rightOpen); --k) {
        const TLevel& above = levels_[static_cast<std::size_t>(k + 1)];
        const std::int64_t aboveSize = BlockSize << (3 * (k + 1));
        // Left: [first, a[k + 1] × aboveSize) lies in block a[k + 1] - 1 above.
        if (leftOpen) {
            const std::int64_t end = a[k + 1] * aboveSize;
            if (first >= end || kept(above, a[k + 1] - 1))
                leftOpen = false;
            else if (k >= 0)
                r.Add(BlockRange(levels_[static_cast<std::size_t>(k)], a[k], a[k + 1] * FanOut, want));
            else
                r.Add(RawRange(data.data() + first, end - first));
        }
        // Right: [b[k + 1] × aboveSize, last) lies in block b[k + 1] above.
        if (rightOpen) {
            const std::int64_t begin = b[k + 1] * aboveSize;
            if (begin >= last || kept(above, b[k + 1]))
                rightOpen = false;
            else if (k >= 0)
                r.Add(BlockRange(levels_[static_cast<std::size_t>(k)], b[k + 1] * FanOut, b[k], want));
            else
                r.Add(RawRange(data.data() + begin, last - begin));
        }
    }
    // A lowest value of INT32_MAX looks like no value at all: only the
    // maxima can tell (rare: windows without values end here too).
    if (want == EWant::Min && r.Min == kBig)
        return Only(Query(data, first, last, same, EWant::Both), want);
    return Only(r, want);
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
