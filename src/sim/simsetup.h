// Hooks that set up a simulator for `vro simulate` (and anyone else who
// wants "the full recorder"): the recorder's command set registers a setup
// that declares its command-line options and installs its handlers.
// Setups run in registration order. vro_sim is an object library, so a
// registration object in any src/sim file is always linked in.
#pragma once

#include "sim/simulator.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vro::sim {

struct TSimSetupOption {
    std::string Name; // "--comversion"
    std::string Help; // "N  layout version 1..5 (default 5)"
    bool IsFlag = false;
};

// Option values by name ("--comversion" -> "3"; flags map to "1"); absent
// options are missing from the map.
using TSimOptionValues = std::map<std::string, std::string>;

struct TSimSetup {
    std::string Name;
    std::vector<TSimSetupOption> Options;
    // May raise std::exception with a message for the user.
    std::function<void(TSimulator&, const TSimOptionValues&)> Install;
};

bool RegisterSimSetup(TSimSetup setup);
const std::vector<TSimSetup>& SimSetups();
// Runs every registered setup on the simulator.
void InstallSimSetups(TSimulator& sim, const TSimOptionValues& values);

} // namespace vro::sim
