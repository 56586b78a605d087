// The recorder `vro simulate` runs, made from its command-line options:
// SimRecorderOptions lists them (for the usage line and the argument
// parser), MakeSimRecorder builds the recorder they describe and
// ApplySimulatorOptions sets what belongs to the frame layer (a noisy line).
// The caller puts the recorder behind the simulator with TSimRecorderService.
#pragma once

#include "sim/recorder.h"
#include "sim/simulator.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vro::sim {

struct TSimOption {
    std::string Name; // "--com-version"
    std::string Help; // "N  recorder layout version 1..5 (default 3)"
    bool IsFlag = false;
};

// Option values by name ("--com-version" -> "3"; flags map to "1"); absent
// options are missing from the map.
using TSimOptionValues = std::map<std::string, std::string>;

const std::vector<TSimOption>& SimRecorderOptions();

// Raise std::invalid_argument (or std::runtime_error for an unreadable
// --recordings folder) with a message for the user.
std::shared_ptr<TSimRecorder> MakeSimRecorder(const TSimOptionValues& values);
void ApplySimulatorOptions(TSimulator& sim, const TSimOptionValues& values);

} // namespace vro::sim
