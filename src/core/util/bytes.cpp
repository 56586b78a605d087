#include "core/util/bytes.h"

#include <bit>
#include <limits>

namespace vro {

static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8);

double GetF64(std::span<const std::uint8_t> buf, std::size_t offset)
{
    return std::bit_cast<double>(GetLE<std::uint64_t>(buf, offset));
}

void PutF64(std::span<std::uint8_t> buf, std::size_t offset, double value)
{
    PutLE<std::uint64_t>(buf, offset, std::bit_cast<std::uint64_t>(value));
}

float GetF32(std::span<const std::uint8_t> buf, std::size_t offset)
{
    return std::bit_cast<float>(GetLE<std::uint32_t>(buf, offset));
}

void PutF32(std::span<std::uint8_t> buf, std::size_t offset, float value)
{
    PutLE<std::uint32_t>(buf, offset, std::bit_cast<std::uint32_t>(value));
}

} // namespace vro
