// Block minima and maxima of one sample array, in levels: level 0 holds one
// (min, max) pair per 64 samples, level 1 one per 8 level-0 blocks (512
// samples), level 2 one per 4096 samples, and so on (3.6 % of the samples'
// memory in all). The extremes of any index range then come from the
// samples of at most two partial blocks per level plus whole blocks of the
// coarsest level that fits, so a column of the graph costs the same for
// ten samples or ten million.
//
// The no-value marker is skipped everywhere. A block without any value holds
// the empty pair (min = INT32_MAX, max = INT32_MIN), which is the neutral
// element of the combination, so a query over values only is exactly the
// plain pass over the samples.
//
// The pyramid does not keep a reference to the samples: every call takes the
// array, which must be the one it was built from (or that array grown).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace vro::graph {

struct TMinMax {
    std::int32_t Min = std::numeric_limits<std::int32_t>::max();
    std::int32_t Max = std::numeric_limits<std::int32_t>::min();
    bool Empty() const { return Max < Min; }
    void Add(const TMinMax& o)
    {
        if (o.Min < Min)
            Min = o.Min;
        if (o.Max > Max)
            Max = o.Max;
    }
    bool operator==(const TMinMax&) const = default;
};

// Plain pass over data[first, last), no values skipped.
TMinMax PlainMinMax(std::span<const std::int32_t> data, std::int64_t first, std::int64_t last);

// A monotone mapping of values onto steps (pixel rows, for the graph):
// Same(a, b) tells whether a and b land on the same step. Monotone means
// that every value between two values of one step lands on that step too.
class TQuantizer {
public:
    virtual ~TQuantizer() = default;
    virtual bool Same(std::int32_t a, std::int32_t b) const = 0;
};

class TMinMaxPyramid {
public:
    static constexpr int BlockShift = 6;
    static constexpr std::int64_t BlockSize = std::int64_t(1) << BlockShift; // 64
    // Each higher level combines this many blocks of the level below.
    static constexpr std::int64_t FanOut = 8;

    // Builds all levels for `data`.
    void Build(std::span<const std::int32_t> data);
    // `data` is the array the pyramid was built for, grown at its end (the
    // samples before the old end unchanged): only the last block of each
    // level and the new blocks are computed.
    void Extend(std::span<const std::int32_t> data);
    // Extremes of data[first, last); indices are clamped to the array.
    // With `same`, a returned extreme may differ from the true one within
    // the same step of the quantizer (what a caller that maps values to
    // pixel rows needs), which saves most reads of samples.
    // With `want` Min or Max only that end is found (and the other end of
    // the result is a copy of it), reading only half the block extremes.
    enum class EWant { Both, Min, Max };
    TMinMax Query(std::span<const std::int32_t> data, std::int64_t first, std::int64_t last,
                  const TQuantizer* same = nullptr, EWant want = EWant::Both) const;

    // Asks the memory for the block extremes that queries ending or starting
    // at sample index `boundary` read on the two finest levels, so that a
    // caller walking along adjacent windows can overlap these reads with its
    // work. (The samples there are left alone: most queries never read them.)
    void Prefetch(std::span<const std::int32_t> data, std::int64_t boundary) const;

    std::size_t SampleCount() const { return count_; }
    std::size_t MemoryBytes() const;
    int LevelCount() const { return static_cast<int>(levels_.size()); }

private:
    void BuildFrom(std::span<const std::int32_t> data, std::size_t firstBlock0);
    // One level: block minima and maxima in two arrays, so that combining
    // a run of blocks is a plain vector loop.
    struct TLevel {
        std::vector<std::int32_t> Min, Max;
        std::size_t Size() const { return Min.size(); }
    };
    std::size_t count_ = 0;
    std::vector<TLevel> levels_;
};

} // namespace vro::graph
