// The program's one rounding rule and its checked conversions.
// Rounding is to the nearest integer with halves to the even neighbour;
// integer division truncates toward zero (C++'s own / and %, so no helper).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace vro {

// Nearest integer, halves to even, as a double (exact for |x| < 2^53).
inline double RoundHalfEven(double x)
{
    return std::nearbyint(x); // the default floating-point mode rounds to nearest-even
}

// Rounds x and converts it to T; empty when x is not finite or the result
// does not fit T. Never an undefined float-to-int conversion.
template <typename T>
std::optional<T> RoundToInt(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double r = RoundHalfEven(x);
    // The bounds are exact powers of two in double: [lo, hi).
    constexpr int digits = std::numeric_limits<T>::digits;
    const double hi = std::ldexp(1.0, digits);
    const double lo = std::numeric_limits<T>::is_signed ? -hi : 0.0;
    if (r < lo || r >= hi)
        return std::nullopt;
    return static_cast<T>(r);
}

} // namespace vro
