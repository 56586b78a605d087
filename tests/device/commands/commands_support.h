// A recorder rig: the device layer over a connector on one end of an
// in-memory port pair (or a pseudo-terminal), the simulated recorder with
// its frame layer on the other.
#pragma once

#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <memory>

namespace vro::test {

struct TRecorderRig {
    explicit TRecorderRig(int comVersion = 3, sim::TSimProfile profile = {});
    ~TRecorderRig();

    // Connect and identify; fails the test when it does not succeed.
    void Connect();
    // Runs a download of entry Index to its end; the recording's load state.
    int Download(int index, std::uint32_t timeoutMs = 60000);

    TDvxV24MemoryPortPair pair;
    std::unique_ptr<TDvxV24MemoryPort> far;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
};

// The same over a pseudo-terminal and the POSIX serial port.
struct TPtyRecorderRig {
    explicit TPtyRecorderRig(int comVersion, std::int32_t pacingBaud = 0);
    ~TPtyRecorderRig();

    std::unique_ptr<sim::TSimPty> pty;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
};

} // namespace vro::test
