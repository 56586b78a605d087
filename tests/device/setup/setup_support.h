// Helpers of the setup tests: a recorder rig over the in-memory port pair,
// and setups filled with a distinct value in every field.
#pragma once

#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simulator.h"

#include <memory>

namespace vro::test {

struct TSetupRig {
    explicit TSetupRig(int comVersion);
    ~TSetupRig();

    TDvxV24MemoryPortPair pair;
    std::unique_ptr<TDvxV24MemoryPort> far;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
};

// Every field of every block set to a value derived from seed. Signal codes
// are valid for the layout's input lists (0 on layouts 1 and 5, which the
// setup file cannot carry otherwise).
void FillSetup(TVro8SetupData& d, int comVersion, int seed);

} // namespace vro::test
