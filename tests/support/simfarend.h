// The simulated recorder on the far end of an in-memory port pair, for the
// rigs of the device, manager and dialog tests: each takes the near end
// (pair.TakeA()) for its own connector or connection.
#pragma once

#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simulator.h"

#include <memory>

namespace vro::test {

struct TSimFarEnd {
    explicit TSimFarEnd(const sim::TSimProfile& profile = {})
    {
        far = pair.TakeB();
        far->OpenEnd();
        recorder = std::make_shared<sim::TSimRecorder>(profile);
        simulator = std::make_unique<sim::TSimulator>(*far);
        service = std::make_unique<sim::TSimRecorderService>(*simulator, *far, recorder);
        simulator->Start();
    }
    ~TSimFarEnd() { StopRecorder(); }
    TSimFarEnd(const TSimFarEnd&) = delete;
    TSimFarEnd& operator=(const TSimFarEnd&) = delete;

    // Stops the simulator's thread and drops it; a rig calls this after
    // dropping what talks to the near end and before closing the near end.
    void StopRecorder()
    {
        if (simulator)
            simulator->Stop();
        service.reset();
        simulator.reset();
    }

    TDvxV24MemoryPortPair pair;
    std::unique_ptr<TDvxV24MemoryPort> far;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
};

} // namespace vro::test
