// The recorder a `vro device ...` verb talks to: the port of --port and
// --baud opened and the recorder identified, with Ctrl-C cancelling the
// exchange under way so that the recorder stays usable.
#pragma once

#include "cli/verb.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace vro::cli {

// Thrown where a verb notices that Ctrl-C was pressed.
class EInterrupted : public std::runtime_error {
public:
    EInterrupted() : std::runtime_error("cancelled") {}
};

class TDeviceSession {
public:
    // Takes --port PATH (required) and --baud B (default 460800).
    explicit TDeviceSession(TArgs& args);
    TDeviceSession(const std::string& port, std::int32_t baud);
    ~TDeviceSession();
    TDeviceSession(const TDeviceSession&) = delete;
    TDeviceSession& operator=(const TDeviceSession&) = delete;

    // Opens the port and identifies the recorder; from here on Ctrl-C
    // cancels. Raises "no recorder: ..." or EInterrupted.
    void Connect();

    TDvxV24Connector& Connector() { return *connector_; }
    TVro8Device& Device() { return *device_; }

    // Whether Ctrl-C was pressed during this session; CheckInterrupted
    // raises EInterrupted then.
    static bool Interrupted();
    static void CheckInterrupted();
    // Whether Ctrl-C also cancels the exchange under way (the default), or
    // only marks the session interrupted for a loop that stops between
    // items and then tidies up over the link.
    void SetInterruptCancelsExchange(bool cancels);

private:
    std::unique_ptr<TDvxV24Connector> connector_;
    std::unique_ptr<TVro8Device> device_;
};

// A progress bar on standard error, shown once a transfer has taken a second.
class TProgress {
public:
    explicit TProgress(TDvxV24Connector& c);
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;
    void Show(int perMille);

private:
    TDvxV24Connector& c_;
    std::chrono::steady_clock::time_point start_;
    bool shown_ = false;
};

} // namespace vro::cli
