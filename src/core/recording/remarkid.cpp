// Remark ids of a recording.
#include "core/recording/recording.h"

#include <algorithm>
#include <limits>

namespace vro {

std::int32_t TRecording::NewRemarkId()
{
    // A file sets LastRemarkId to its largest id, which may be the largest
    // int32: counting on would overflow, so the first gap is taken instead.
    if (LastRemarkId < std::numeric_limits<std::int32_t>::max())
        return ++LastRemarkId;
    std::vector<std::int32_t> used;
    used.reserve(Remarks.size());
    for (const auto& r : Remarks)
        if (r.RemarkId > 0)
            used.push_back(r.RemarkId);
    std::sort(used.begin(), used.end());
    std::int32_t id = 1;
    for (const std::int32_t u : used) {
        if (u > id)
            break;
        if (u == id)
            ++id;
    }
    return id;
}

} // namespace vro
