// A pseudo-terminal for the simulated recorder: the simulator serves the
// master side, any program opens the far end (SlavePath) as a serial port.
// The line is set raw; the pty keeps its own descriptor of the far end open
// so that a client may close and reopen it without the master seeing a
// hang-up.
#pragma once

#include "link/dvxv24serialport.h"

#include <memory>
#include <string>

namespace vro::sim {

class TSimPty {
public:
    // Raises std::runtime_error naming the failed step.
    TSimPty();
    ~TSimPty();
    TSimPty(const TSimPty&) = delete;
    TSimPty& operator=(const TSimPty&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // The master side as a port (open, raw).
    TDvxV24SerialPort& Master() { return *master_; }
    // Whether pseudo-terminals can be made here; why not in `why`.
    static bool Available(std::string& why);

private:
    std::unique_ptr<TDvxV24SerialPort> master_;
    int slaveKeep_ = -1;
    std::string slavePath_;
};

} // namespace vro::sim
