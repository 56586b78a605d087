// The min/max pyramids of the channels of the recording on view, built on
// first use and extended when a channel grows. The cache knows an array by
// its address, its length and a fingerprint of 64 spread samples, so that a
// channel computed anew in place (filter, formula) is seen; code that changes
// single samples in place calls Clear.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/graph/minmaxpyramid.h"

namespace vro::graph {

class TPyramidCache {
public:
    // The pyramid for `data` (slot: channel × 3 + array: 0 values, 1 min, 2 max).
    // The reference stays valid while other slots are asked for.
    const TMinMaxPyramid& For(int slot, std::span<const std::int32_t> data);
    void Clear() { entries_.clear(); }
    std::size_t MemoryBytes() const;

private:
    struct TEntry {
        const std::int32_t* Data = nullptr;
        std::size_t Size = 0;
        std::uint64_t Print = 0;
        TMinMaxPyramid Pyramid;
    };
    std::vector<std::unique_ptr<TEntry>> entries_;
};

} // namespace vro::graph
