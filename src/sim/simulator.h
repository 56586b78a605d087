// TSimulator: the simulated recorder's link side. It serves one port end
// (an in-memory pair end or a pseudo-terminal master) on its own thread:
// receives frames (TSimFrameReceiver), checks them, sends ACK before answers
// to R and S and answers with the address rules (S for R, C for S, * for
// sensor addresses), tolerates the service sequences, answers ENQ.
//
// Commands are a table of handlers keyed by (address letter, command
// number), filled by the recorder's command set (src/sim/recorder*) with
// SetHandler. A handler returns the answer's data bytes, or nothing for no
// answer at all. TSimMemory is a byte area read and written by offset, the
// way multi-packet transfers address memory.
//
// Faults can be switched at run time from any thread: for the next N
// answers (InjectFault) or at random (SetRandomFaults). Optional pacing
// writes answer bytes at the rate the configured baud rate would carry them;
// with request pacing too, a request is handled only once its last byte
// would have arrived at that rate (as on a real line, where the host's
// bytes cannot come faster than the baud rate carries them).
// All set calls are thread-safe; handlers run on the simulator's thread.
#pragma once

#include "link/dvxv24port.h"
#include "sim/simframe.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace vro::sim {

// Answer data, or nullopt for no answer (not even an ACK).
using TSimAnswer = std::optional<std::vector<std::uint8_t>>;
using TSimHandler = std::function<TSimAnswer(const TSimRequest&)>;

enum class ESimFault : std::uint8_t {
    None = 0,
    LoseAnswer,   // ACK goes out, the answer frame does not
    FlipBit,      // one bit of the ACK or answer frame flipped
    Garbage,      // random bytes go out before the ACK/answer
    Delay,        // the answer waits DelayMs; any byte received meanwhile drops it
    Silent,       // neither ACK nor answer
    WrongAddress, // the answer carries a wrong address character
    Count_
};
constexpr std::size_t kSimFaultKinds = static_cast<std::size_t>(ESimFault::Count_);
const char* SimFaultName(ESimFault f);

// A memory area addressed by offset. Thread-safe.
class TSimMemory {
public:
    explicit TSimMemory(std::vector<std::uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}
    // Up to max bytes from offset (none at or past the end).
    std::vector<std::uint8_t> Read(std::uint32_t offset, std::size_t max) const;
    // Writes at offset; false (nothing written) when it would pass the end.
    bool Write(std::uint32_t offset, std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> Bytes() const;
    void Assign(std::vector<std::uint8_t> bytes);
    std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
};

struct TSimStats {
    std::uint64_t FramesReceived = 0;
    std::uint64_t BadFrames = 0;
    std::uint64_t AnswersSent = 0;
    std::uint64_t Unhandled = 0;
    std::uint64_t Enqs = 0;
    std::uint64_t DroppedDelayed = 0;
    std::uint64_t BytesReceived = 0; // every byte read from the port
    std::uint64_t BytesSent = 0;     // every byte written to it
    std::array<std::uint64_t, kSimFaultKinds> Faults{};
    std::uint64_t FaultsTotal() const;
};

class TSimulator {
public:
    // The port must be open and outlive the simulator.
    explicit TSimulator(TDvxV24Port& port);
    ~TSimulator();
    TSimulator(const TSimulator&) = delete;
    TSimulator& operator=(const TSimulator&) = delete;

    void SetHandler(char address, std::uint8_t number, TSimHandler handler);
    void RemoveHandler(char address, std::uint8_t number);
    bool HasHandler(char address, std::uint8_t number) const;
    // The byte answering ENQ (default ACK 0x06); nullopt stays silent.
    void SetEnqHandler(std::function<std::optional<std::uint8_t>()> handler);
    // Every byte received outside a frame other than ENQ (ESC, null and
    // 0x55 sequences, "DvxStart" ...), for commands that react to them.
    void SetIdleByteHook(std::function<void(std::uint8_t)> hook);
    // Sensor bus echo: a request to a sensor address is echoed before the answer.
    void SetEcho(bool on);

    // Multi-packet memory commands on an area: the read command takes a
    // 4-byte offset and answers up to 240 bytes (none at the end); the write
    // command takes a 4-byte offset and the bytes, and answers one status
    // byte (0, or 1 when the bytes would pass the area's end).
    void InstallMemoryArea(char readAddress, std::uint8_t readNumber, char writeAddress, std::uint8_t writeNumber,
                           std::shared_ptr<TSimMemory> memory);

    void InjectFault(ESimFault fault, std::uint32_t count = 1);
    // Each answer gets a fault with the probability, drawn from the kinds.
    void SetRandomFaults(double probability, std::vector<ESimFault> kinds, std::uint32_t seed = 1);
    void ClearFaults();
    void SetSilent(bool on);
    void SetDelayMs(std::uint32_t ms);
    // 0 switches pacing off.
    void SetPacing(std::int32_t baud);
    // With pacing on, requests are paced as well (see above).
    void SetRequestPacing(bool on);
    void SetGapMs(std::uint32_t ms);

    void Start();
    void Stop();
    bool Running() const { return running_.load(); }
    TSimStats Stats() const;

private:
    void Run();
    void HandleRequest(const TSimRequest& req);
    void HandleIdleByte(std::uint8_t b);
    ESimFault NextFault();
    void Send(std::vector<std::uint8_t> bytes);
    bool InputArrivedWithin(std::uint32_t ms);

    TDvxV24Port& port_;
    TSimFrameReceiver receiver_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_; // guards everything below
    std::map<std::pair<char, std::uint8_t>, TSimHandler> handlers_;
    std::function<std::optional<std::uint8_t>()> enqHandler_;
    std::function<void(std::uint8_t)> idleHook_;
    bool echo_ = false;
    std::vector<std::pair<ESimFault, std::uint32_t>> queued_;
    double faultProbability_ = 0;
    std::vector<ESimFault> faultKinds_;
    std::mt19937 rng_{1};
    bool silent_ = false;
    std::uint32_t delayMs_ = 500;
    std::int32_t pacingBaud_ = 0;
    bool paceRequests_ = false;
    TSimStats stats_;
};

} // namespace vro::sim
