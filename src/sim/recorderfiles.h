// Recording files (".vxrf") as the simulated recorder's memory: each file
// becomes a stored recording with its channels, flags and samples, in the
// limits of the chosen layout version (channels beyond its maximum are left
// out, ranges and 16-bit samples are clamped to what the layout carries).
#pragma once

#include "sim/recorderlayout.h"

#include <filesystem>
#include <vector>

namespace vro::sim {

// Every "*.vxrf" of the folder, in file-name order. Raises std::runtime_error
// naming the file when one cannot be read, or when the folder holds none.
std::vector<TSimRecording> LoadSimRecordings(const std::filesystem::path& folder, int comVersion);

} // namespace vro::sim
