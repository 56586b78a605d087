#include "sim/simsetup.h"

namespace vro::sim {

namespace {
std::vector<TSimSetup>& Registry()
{
    static std::vector<TSimSetup> setups;
    return setups;
}
} // namespace

bool RegisterSimSetup(TSimSetup setup)
{
    Registry().push_back(std::move(setup));
    return true;
}

const std::vector<TSimSetup>& SimSetups() { return Registry(); }

void InstallSimSetups(TSimulator& sim, const TSimOptionValues& values)
{
    for (const auto& s : Registry())
        if (s.Install)
            s.Install(sim, values);
}

} // namespace vro::sim
