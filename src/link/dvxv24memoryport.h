// An in-memory port pair: two connected ends, each a TDvxV24Port. What one
// end writes, the other reads. Both queues live in one shared state guarded
// by a mutex; a condition variable wakes a waiter when bytes arrive, so
// waiting costs no CPU. The ends may be used from different threads (the
// connector on one, the simulated recorder on the other).
#pragma once

#include "link/dvxv24port.h"

#include <memory>

namespace vro {

class TDvxV24MemoryPort;

class TDvxV24MemoryPortPair {
public:
    TDvxV24MemoryPortPair();
    ~TDvxV24MemoryPortPair();
    TDvxV24MemoryPortPair(const TDvxV24MemoryPortPair&) = delete;
    TDvxV24MemoryPortPair& operator=(const TDvxV24MemoryPortPair&) = delete;

    // End A is meant for the connector, end B for the far side. The ends
    // share the pair's state and stay usable as long as either object lives.
    // Moving an end out (TakeA) hands it to an owner such as the connector.
    std::unique_ptr<TDvxV24MemoryPort> TakeA();
    std::unique_ptr<TDvxV24MemoryPort> TakeB();

    struct TShared;

private:
    std::shared_ptr<TShared> shared_;
    std::unique_ptr<TDvxV24MemoryPort> a_, b_;
};

class TDvxV24MemoryPort : public TDvxV24Port {
public:
    TDvxV24MemoryPort(std::shared_ptr<TDvxV24MemoryPortPair::TShared> shared, int side);
    ~TDvxV24MemoryPort() override;

    // Opening always succeeds (the index is only remembered).
    bool Open(std::int32_t index, std::int32_t inQueue, std::int32_t outQueue) override;
    bool IsOpen() const override;
    bool Configure(std::int32_t baudrate, std::uint8_t parity, std::int32_t handshake) override;
    std::int32_t Write(const std::uint8_t* buffer, std::int32_t count) override;
    std::int32_t Read(std::uint8_t* buffer, std::int32_t count) override;
    std::int32_t InQueue() override;
    std::int32_t WaitInQueue(std::int32_t atLeast, std::uint32_t timeoutMs) override;
    bool Purge(bool txAbort, bool rxAbort, bool txClear, bool rxClear) override;
    void Close() override;

    // The index and line speed of the last Open/Configure (for tests).
    std::int32_t OpenedIndex() const;
    std::int32_t Baudrate() const;
    // Opens the end without an index (the far side uses this).
    void OpenEnd();

private:
    std::shared_ptr<TDvxV24MemoryPortPair::TShared> shared_;
    int side_; // 0 = A, 1 = B
};

} // namespace vro
