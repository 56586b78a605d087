// Number and text helpers shared by the units of the recording model
// (channel, time base, states, the recording itself). Internal to
// core/recording: other folders use core/util and core/values.
#pragma once

#include "core/util/numeric.h"
#include "core/values/dvxdatautils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vro::recording_detail {

inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

inline std::int32_t ClampTo32(std::int64_t v) { return static_cast<std::int32_t>(std::clamp(v, kInt32Min, kInt32Max)); }

// Rounds halves to even and clamps into int32 (NaN gives `nan`).
inline std::int32_t RoundClamp32(double x, std::int32_t nan = 0)
{
    if (std::isnan(x))
        return nan;
    if (x >= 2147483647.0)
        return INT32_MAX;
    if (x <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(RoundHalfEven(x));
}

inline std::int64_t TruncTo64(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<std::int64_t>(std::clamp(std::trunc(x), -9.0e18, 9.0e18));
}

inline std::int64_t Round64(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<std::int64_t>(RoundHalfEven(std::clamp(x, -9.0e18, 9.0e18)));
}

// Characters of a UTF-8 text (column widths count characters, not bytes).
inline int CharCount(const std::string& s)
{
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// A trimmed field read as an int32; empty when it does not read.
inline std::optional<std::int32_t> ReadIntField(std::string_view field)
{
    const std::string t = DvxTrim(field);
    std::int64_t v = 0;
    const char* b = t.data();
    const char* e = t.data() + t.size();
    if (b != e && *b == '+')
        ++b;
    auto [p, ec] = std::from_chars(b, e, v);
    if (b == e || ec != std::errc() || p != e || v < kInt32Min || v > kInt32Max)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

inline std::vector<std::string_view> Split(std::string_view text, char sep)
{
    std::vector<std::string_view> out;
    std::size_t s = 0;
    while (true) {
        std::size_t e = text.find(sep, s);
        if (e == std::string_view::npos) {
            out.push_back(text.substr(s));
            return out;
        }
        out.push_back(text.substr(s, e - s));
        s = e + 1;
    }
}


// Fixed-point text of an int64 value with `decimals` decimals.
inline std::string FixedText(std::int64_t v, int decimals)
{
    return ConvertDvxFixValueToStr(std::clamp(decimals, 0, 8), true, v);
}

} // namespace vro::recording_detail
