#include "core/util/largearray.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace vro {

void AdviseHugePages(void* data, std::size_t bytes)
{
    // Below one huge page there is nothing to gain.
    constexpr std::size_t kWorth = std::size_t(2) << 20;
    if (!data || bytes < kWorth)
        return;
    // The advice covers the whole pages of the allocation: a large one is a
    // mapping of its own (its header just before the data), and the kernel
    // uses a huge page wherever an aligned 2 MiB lies inside it, the first
    // one included.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = begin & ~(page - 1);
    const std::uintptr_t last = (begin + bytes + page - 1) & ~(page - 1);
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE); // advice only: failure is harmless
}

} // namespace vro
