#include "core/graph/pyramidcache.h"

namespace vro::graph {

namespace {

// A hash of 64 samples spread evenly over the array, and of its last one.
std::uint64_t Fingerprint(std::span<const std::int32_t> data)
{
    std::uint64_t h = 1469598103934665603ull;
    const std::size_t n = data.size();
    if (n == 0)
        return h;
    for (std::size_t k = 0; k < 64; ++k) {
        h ^= static_cast<std::uint32_t>(data[k * (n - 1) / 63]);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

const TMinMaxPyramid& TPyramidCache::For(int slot, std::span<const std::int32_t> data)
{
    if (slot < 0)
        slot = 0;
    if (entries_.size() <= static_cast<std::size_t>(slot))
        entries_.resize(static_cast<std::size_t>(slot) + 1);
    auto& slotEntry = entries_[static_cast<std::size_t>(slot)];
    if (!slotEntry)
        slotEntry = std::make_unique<TEntry>();
    TEntry& e = *slotEntry;
    const std::uint64_t print = Fingerprint(data);
    if (e.Data != data.data() || data.size() < e.Size || (data.size() == e.Size && print != e.Print)) {
        e.Pyramid.Build(data);
    } else if (data.size() != e.Size) {
        e.Pyramid.Extend(data);
    }
    e.Data = data.data();
    e.Size = data.size();
    e.Print = print;
    return e.Pyramid;
}

std::size_t TPyramidCache::MemoryBytes() const
{
    std::size_t s = 0;
    for (const auto& e : entries_)
        if (e)
            s += e->Pyramid.MemoryBytes();
    return s;
}

} // namespace vro::graph
