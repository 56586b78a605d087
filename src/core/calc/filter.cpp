#include "core/calc/filter.h"

#include "core/util/numeric.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vro {

std::int32_t TFilter::EffectiveWidth(std::int32_t requested, std::int64_t count)
{
    std::int64_t w = std::clamp<std::int64_t>(requested, 5, kMaxWidth);
    if (w >= count - 1)
        w = count - 2;
    return static_cast<std::int32_t>(std::max<std::int64_t>(w, 0));
}

std::int32_t TFilter::SliderWidth(int position)
{
    return static_cast<std::int32_t>(RoundHalfEven(std::pow(position / 10.0, 10)));
}

void TFilter::Apply(std::span<const std::int32_t> source, std::int32_t width, std::span<std::int32_t> dest)
{
    if (dest.size() != source.size())
        throw std::invalid_argument("filter destination size differs from its source");
    const std::int64_t count = static_cast<std::int64_t>(source.size());
    const std::int64_t h = EffectiveWidth(width, count) / 2;
    std::int64_t sum = 0;
    std::int64_t valid = 0;
    auto add = [&](std::int64_t k) {
        const std::int32_t v = source[static_cast<std::size_t>(k)];
        if (v != kNoValue) { sum += v; ++valid; }
    };
    auto remove = [&](std::int64_t k) {
        const std::int32_t v = source[static_cast<std::size_t>(k)];
        if (v != kNoValue) { sum -= v; --valid; }
    };
    auto store = [&](std::int64_t i) {
        // |sum| <= 2^31 * 2^20 < 2^53: the quotient is exact to well below half a unit.
        dest[static_cast<std::size_t>(i)] =
            valid ? static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(sum) / static_cast<double>(valid)))
                  : kNoValue;
    };
    // The three phases below are the window rule above, unrolled: the start
    // grows the window by two samples, the middle slides it, the end shrinks it.
    const std::int64_t middleEnd = count - 1 - h; // last i of the middle phase
    std::int64_t i = 0;
    for (; i < h && i <= middleEnd; ++i) {
        add(2 * i);
        add(2 * i + 1);
        store(i);
    }
    for (; i <= middleEnd; ++i) {
        add(i + h);
        remove(i - h);
        store(i);
    }
    // EffectiveWidth keeps 2h <= Count - 2, so every i of the end phase is >= h.
    for (; i < count; ++i) {
        const std::int64_t c = count - i - 1;
        remove(i - c);
        remove(i - c - 1);
        store(i);
    }
}

} // namespace vro
