// Test rig for the link layer: a connector on one end of an in-memory port
// pair and the simulated recorder (or a scripted far end) on the other.
#pragma once

#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/simframe.h"
#include "sim/simulator.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vro::test {

// Collects log lines from any thread.
class TLogCapture {
public:
    std::function<void(const std::string&)> Sink()
    {
        return [this](const std::string& l) {
            std::lock_guard lock(mutex_);
            lines_.push_back(l);
        };
    }
    std::vector<std::string> Lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // Lines without their "%8.3fs: " time stamp.
    std::vector<std::string> Texts() const;
    void Clear()
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// A dispatcher that queues functions for the test thread, like a UI event loop.
class TQueueDispatcher {
public:
    TDvxDispatcher Dispatcher()
    {
        return [this](std::function<void()> fn) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(fn));
            }
            cv_.notify_all();
        };
    }
    // Runs queued functions until pred() holds or the time is up; true when it holds.
    bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 10000);
    void PumpAll();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> queue_;
};

// Connector (end A) and simulator (end B) over a memory pair.
struct TLinkRig {
    explicit TLinkRig(TDvxDispatcher dispatcher = {}, std::int32_t baud = 460800);
    ~TLinkRig();

    std::shared_ptr<sim::TSimMemory> InstallMemory(std::size_t size, char readAdr = 'R', std::uint8_t readNr = 23,
                                                   char writeAdr = 'S', std::uint8_t writeNr = 23);

    TLogCapture log;
    std::unique_ptr<TDvxV24MemoryPort> far;
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<sim::TSimulator> simulator;
    TDvxV24MemoryPort* near = nullptr;
};

// A far end that answers each complete request frame (or ENQ) with the next
// scripted byte string; requests are recorded. Runs on its own thread.
class TScriptPeer {
public:
    explicit TScriptPeer(TDvxV24Port& port);
    ~TScriptPeer();
    void Push(std::vector<std::uint8_t> reply);
    std::vector<sim::TSimRequest> Requests() const;

private:
    void Run();
    TDvxV24Port& port_;
    mutable std::mutex mutex_;
    std::deque<std::vector<std::uint8_t>> replies_;
    std::vector<sim::TSimRequest> requests_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<std::uint8_t> Bytes(std::initializer_list<int> b);
std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed = 0);
std::string Hex(const std::vector<std::uint8_t>& b);

} // namespace vro::test
