// TSimRecorderService: puts a TSimRecorder behind a TSimulator. It installs
// a handler for every command of the recorder's command set, answers ENQ with
// the remote-recording state, stops the online stream on ESC and runs the
// stream pump: a thread that writes the records of a running stream to the
// simulator's port at the recorder's (scaled) rate.
//
// The service must be destroyed before the port; the simulator's handlers
// keep the recorder alive through shared ownership.
#pragma once

#include "sim/recorder.h"
#include "sim/simulator.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace vro::sim {

class TSimRecorderService {
public:
    TSimRecorderService(TSimulator& sim, TDvxV24Port& port, std::shared_ptr<TSimRecorder> recorder);
    ~TSimRecorderService();
    TSimRecorderService(const TSimRecorderService&) = delete;
    TSimRecorderService& operator=(const TSimRecorderService&) = delete;

    TSimRecorder& Recorder() { return *recorder_; }
    // Installs the handlers on a simulator (also used without a pump).
    static void InstallHandlers(TSimulator& sim, std::shared_ptr<TSimRecorder> recorder,
                                std::function<void()> streamStarted = {});

private:
    std::shared_ptr<TSimRecorder> recorder_;
    std::shared_ptr<class TSimStreamPump> pump_;
};

// Writes the records of a running online stream to the simulator's port at
// the recorder's (scaled) rate. Must be destroyed before the port.
class TSimStreamPump {
public:
    TSimStreamPump(TDvxV24Port& port, std::shared_ptr<TSimRecorder> recorder);
    ~TSimStreamPump();
    TSimStreamPump(const TSimStreamPump&) = delete;
    TSimStreamPump& operator=(const TSimStreamPump&) = delete;
    void Wake();

private:
    void Run();
    TDvxV24Port& port_;
    std::shared_ptr<TSimRecorder> recorder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace vro::sim
