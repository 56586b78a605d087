// A small recording made in memory for the graph tests.
#pragma once

#include <memory>

#include "core/recording/recording.h"

namespace vro::graphtest {

// `channels` channels of `samples` samples, 1 decimal, unit "bar", values
// 10 × i + channel, ranges 0..1000; min/max values ±5 when asked.
std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax = false);

} // namespace vro::graphtest
