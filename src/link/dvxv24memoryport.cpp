#include "link/dvxv24memoryport.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vro {

struct TDvxV24MemoryPortPair::TShared {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::uint8_t> queue[2]; // queue[s]: bytes waiting to be read by side s
    bool open[2] = {false, false};
    std::int32_t index[2] = {-1, -1};
    std::int32_t baud[2] = {0, 0};
};

TDvxV24MemoryPortPair::TDvxV24MemoryPortPair()
    : shared_(std::make_shared<TShared>()), a_(std::make_unique<TDvxV24MemoryPort>(shared_, 0)),
      b_(std::make_unique<TDvxV24MemoryPort>(shared_, 1))
{}

TDvxV24MemoryPortPair::~TDvxV24MemoryPortPair() = default;

std::unique_ptr<TDvxV24MemoryPort> TDvxV24MemoryPortPair::TakeA() { return std::move(a_); }
std::unique_ptr<TDvxV24MemoryPort> TDvxV24MemoryPortPair::TakeB() { return std::move(b_); }

TDvxV24MemoryPort::TDvxV24MemoryPort(std::shared_ptr<TDvxV24MemoryPortPair::TShared> shared, int side)
    : shared_(std::move(shared)), side_(side)
{}

TDvxV24MemoryPort::~TDvxV24MemoryPort() { Close(); }

bool TDvxV24MemoryPort::Open(std::int32_t index, std::int32_t inQueue, std::int32_t /*outQueue*/)
{
    std::lock_guard lock(shared_->mutex);
    shared_->open[side_] = true;
    shared_->index[side_] = index;
    inQueueSize_ = inQueue;
    return true;
}

void TDvxV24MemoryPort::OpenEnd() { Open(-1, 16384, 1024); }

bool TDvxV24MemoryPort::IsOpen() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->open[side_];
}

bool TDvxV24MemoryPort::Configure(std::int32_t baudrate, std::uint8_t /*parity*/, std::int32_t /*handshake*/)
{
    std::lock_guard lock(shared_->mutex);
    if (!shared_->open[side_] || baudrate <= 0) {
        lastError_ = "memory port: cannot set " + std::to_string(baudrate) + " baud";
        return false;
    }
    shared_->baud[side_] = baudrate;
    return true;
}

std::int32_t TDvxV24MemoryPort::Write(const std::uint8_t* buffer, std::int32_t count)
{
    if (count <= 0)
        return 0;
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->open[side_])
            return 0;
        // Bytes sent to a closed far end are lost, as on a cable with nobody at the other end.
        if (shared_->open[1 - side_])
            shared_->queue[1 - side_].insert(shared_->queue[1 - side_].end(), buffer, buffer + count);
    }
    shared_->arrived.notify_all();
    return count;
}

std::int32_t TDvxV24MemoryPort::Read(std::uint8_t* buffer, std::int32_t count)
{
    std::lock_guard lock(shared_->mutex);
    auto& q = shared_->queue[side_];
    std::int32_t n = 0;
    while (n < count && !q.empty()) {
        buffer[n++] = q.front();
        q.pop_front();
    }
    return n;
}

std::int32_t TDvxV24MemoryPort::InQueue()
{
    std::lock_guard lock(shared_->mutex);
    return static_cast<std::int32_t>(shared_->queue[side_].size());
}

std::int32_t TDvxV24MemoryPort::WaitInQueue(std::int32_t atLeast, std::uint32_t timeoutMs)
{
    std::unique_lock lock(shared_->mutex);
    auto& q = shared_->queue[side_];
    shared_->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return static_cast<std::int32_t>(q.size()) >= atLeast || !shared_->open[side_]; });
    return static_cast<std::int32_t>(q.size());
}

bool TDvxV24MemoryPort::Purge(bool /*txAbort*/, bool /*rxAbort*/, bool /*txClear*/, bool rxClear)
{
    // Output leaves at once, so only the input queue can be discarded.
    std::lock_guard lock(shared_->mutex);
    if (rxClear)
        shared_->queue[side_].clear();
    return shared_->open[side_];
}

void TDvxV24MemoryPort::Close()
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->open[side_] = false;
        shared_->queue[side_].clear();
    }
    shared_->arrived.notify_all();
}

std::int32_t TDvxV24MemoryPort::OpenedIndex() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->index[side_];
}

std::int32_t TDvxV24MemoryPort::Baudrate() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->baud[side_];
}

} // namespace vro
