// Bits of 32-bit values.
#include "core/values/dvxdatautils.h"

namespace vro {

namespace {
void CheckBit(int Bit)
{
    if (Bit < 0 || Bit > 31)
        throw EDvxValueError("Bit " + std::to_string(Bit) + " out of Range 0..31");
}
} // namespace

std::int32_t SetBit(std::int32_t Value, int Bit, bool On)
{
    CheckBit(Bit);
    const std::uint32_t mask = std::uint32_t{1} << Bit;
    const std::uint32_t v = static_cast<std::uint32_t>(Value);
    return static_cast<std::int32_t>(On ? (v | mask) : (v & ~mask));
}

bool GetBit(std::int32_t Value, int Bit)
{
    CheckBit(Bit);
    return (static_cast<std::uint32_t>(Value) >> Bit) & 1u;
}

} // namespace vro
