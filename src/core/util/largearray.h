// Sizing the large arrays of a recording (samples, time stamps, states) so
// that the kernel can back them with 2 MiB pages: a recording of tens of
// millions of samples otherwise costs a page fault per 4 KiB of its arrays,
// which in a virtual machine takes longer than filling them.
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

namespace vro {

// Asks the kernel for huge pages over the whole 2 MiB pages inside
// [data, data + bytes) (nothing for less than a few MiB, or where the
// kernel offers none).
void AdviseHugePages(void* data, std::size_t bytes);

// `v` becomes n copies of `fill`, allocated once at that size: reserved
// first, the fresh allocation advised for huge pages, then filled.
template <typename T>
void AssignLarge(std::vector<T>& v, std::size_t n, const std::type_identity_t<T>& fill = T{})
{
    if (v.capacity() < n) {
        std::vector<T>().swap(v);
        v.reserve(n);
        AdviseHugePages(v.data(), n * sizeof(T));
    }
    v.assign(n, fill);
}

} // namespace vro
