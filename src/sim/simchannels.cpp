#include "sim/simchannels.h"

#include <algorithm>
#include <array>
#include <string>

namespace vro::sim {
namespace {

struct TKind {
    const char* name;
    const char* unit;
    std::uint16_t decimals;
    std::int32_t lo, hi;
};

// Kinds the list cycles through; ranges in raw units at the decimals.
constexpr std::array<TKind, 7> kKinds{{
    {"Pressure", "bar", 1, -10, 4000},
    {"Temperature",
     "\xB0"
     "C",
     1, -500, 2000},
    {"Flow", "l/min", 0, 0, 3000},
    {"Diff. pressure", "mbar", 2, -2500, 2500},
    {"Frequency", "Hz", 0, 0, 10000},
    {"Current", "mA", 2, 0, 2000},
    {"Speed", "rpm", 0, 0, 30000},
}};

} // namespace

std::vector<TSimChannel> SimChannelList(int n)
{
    n = std::clamp(n, 0, kMaxSimChannels);
    std::vector<TSimChannel> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const TKind& k = kKinds[static_cast<std::size_t>(i) % kKinds.size()];
        TSimChannel c;
        c.LoRange = k.lo;
        c.HiRange = k.hi;
        c.Decimals = k.decimals;
        c.Input = static_cast<std::uint8_t>(i % 10);
        c.SubChannel = static_cast<std::uint8_t>(i / 10);
        c.Name = std::string(k.name) + " " + std::to_string(i + 1);
        c.Unit = k.unit;
        out.push_back(std::move(c));
    }
    return out;
}

} // namespace vro::sim
