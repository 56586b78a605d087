// The moving-average filter of filtered channels. The window for sample i is
// an even number of samples centred half a sample after i (samples 0..2i+1 at
// the start, i-h+1..i+h in the middle, 2i-Count+2..Count-1 at the end, with
// h = Width div 2); samples without value are left out of the average and an
// empty window gives no value. A running 64-bit sum keeps the cost at one
// addition and one subtraction per sample whatever the width.
#pragma once

#include <cstdint>
#include <span>

namespace vro {

class TFilter {
public:
    static constexpr std::int32_t kNoValue = INT32_MIN;
    static constexpr std::int32_t kMaxWidth = 1048576;

    // Width for the recording: at least 5, and Count - 2 when it reaches Count - 1.
    static std::int32_t EffectiveWidth(std::int32_t requested, std::int64_t count);
    // Width requested by the filter dialog's slider position (7..40): round((pos / 10)^10).
    static std::int32_t SliderWidth(int position);

    // Writes the moving average of `source` into `dest` (same size) with the
    // effective width for requested width `width`. Values are raw units.
    static void Apply(std::span<const std::int32_t> source, std::int32_t width, std::span<std::int32_t> dest);
};

} // namespace vro
