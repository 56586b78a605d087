// A fixed list of simulated sensor channels for `vro simulate --channels N`:
// varied names, units, decimals and measuring ranges, the same list at every
// start (it does not follow the sensor block).
#pragma once

#include "sim/recorderlayout.h"

#include <vector>

namespace vro::sim {

inline constexpr int kMaxSimChannels = 70;

// The first n channels (0..70) of the list.
std::vector<TSimChannel> SimChannelList(int n);

} // namespace vro::sim
