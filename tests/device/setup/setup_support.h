// Helpers of the setup tests: a recorder rig over the in-memory port pair,
// and setups filled with a distinct value in every field.
#pragma once

#include "device/setup/vro8setup.h"
#include "support/recorderrig.h"

namespace vro::test {

// A rig whose recorder is connected and identified.
struct TSetupRig : TRecorderRig {
    explicit TSetupRig(int comVersion, sim::TSimProfile profile = {}) : TRecorderRig(comVersion, std::move(profile))
    {
        const TVro8ConnectResult r = Vro8Connect(*device);
        EXPECT_TRUE(r.Connected) << r.Error;
    }
};

// Every field of every block set to a value derived from seed. Signal codes
// are valid for the layout's input lists (0 on layouts 1 and 5, which the
// setup file cannot carry otherwise).
void FillSetup(TVro8SetupData& d, int comVersion, int seed);

} // namespace vro::test
