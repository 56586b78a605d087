// TDvxErrorHandler: the device error latch, one flag for the whole program.
// A page of the device window that catches a communication error reports it
// and sets the latch; the device window's next periodic update sees it,
// clears it and recovers the link (close, forget the recorder, reopen,
// connection dialog). While it is set the window sends no keep-alive ping.
//
// Ownership: the main window creates the one latch with the connection and
// frees it before the connection; the device window and its pages refer to
// it. Threads: set and tested on the user-interface thread; the flag is
// atomic so that a worker's completion path may set it too.
#pragma once

#include <atomic>

namespace vro {

class TDvxErrorHandler {
public:
    TDvxErrorHandler() = default;
    TDvxErrorHandler(const TDvxErrorHandler&) = delete;
    TDvxErrorHandler& operator=(const TDvxErrorHandler&) = delete;

    void Set() { set_.store(true); }
    bool Test() const { return set_.load(); }
    void Clear() { set_.store(false); }

private:
    std::atomic<bool> set_{false};
};

} // namespace vro
