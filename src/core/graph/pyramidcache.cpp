#include "core/graph/pyramidcache.h"

namespace vro::graph {

const TMinMaxPyramid& TPyramidCache::For(int slot, std::span<const std::int32_t> data)
{
    if (slot < 0)
        slot = 0;
    if (entries_.size() <= static_cast<std::size_t>(slot))
        entries_.resize(static_cast<std::size_t>(slot) + 1);
    TEntry& e = entries_[static_cast<std::size_t>(slot)];
    if (e.Data != data.data() || data.size() < e.Size) {
        e.Pyramid.Build(data);
    } else if (data.size() != e.Size) {
        e.Pyramid.Extend(data);
    }
    e.Data = data.data();
    e.Size = data.size();
    return e.Pyramid;
}

std::size_t TPyramidCache::MemoryBytes() const
{
    std::size_t s = 0;
    for (const auto& e : entries_)
        s += e.Pyramid.MemoryBytes();
    return s;
}

} // namespace vro::graph
