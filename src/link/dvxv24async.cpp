// The connector's one asynchronous multi-packet read: the worker thread
// (TDvxV24Thread), its start, its completion on the user's thread and the
// waits for its end.
#include "link/dvxv24connector.h"

#include "link/dvxv24format.h"
#include "link/dvxv24ticks.h"

#include <sys/prctl.h>

#include <chrono>
#include <limits>

namespace vro {

using v24detail::Format;

void TDvxV24Connector::JoinFinishedWorker()
{
    // Called with handlerMutex_ held. A worker whose completion ran on its own
    // thread (no dispatcher) is joined later, never by itself.
    for (auto it = ended_.begin(); it != ended_.end();) {
        auto& t = (*it)->Thread;
        if (t.joinable() && t.get_id() == std::this_thread::get_id()) {
            ++it;
            continue;
        }
        if (t.joinable())
            t.join();
        it = ended_.erase(it);
    }
}

void TDvxV24Connector::StartAsyncRead(char address, std::uint8_t number, std::int32_t startOffset,
                                      std::span<std::uint8_t> dest)
{
    std::unique_lock lock(handlerMutex_);
    if (asyncThread_) {
        lock.unlock();
        // The running read owns the pending log line: only the error line is logged.
        if (logging_.load())
            DeliverLog(Format("%8.3fs: ", static_cast<double>(ElapsedSeconds(openTick_))) +
                       "TDvxV24Connector: Asynchron Transfer still active!");
        throw EDvxV24Error("Asynchron Transfer still active!");
    }
    if (startOffset < 0)
        throw EDvxV24Error(Format("Multipacket Error: start offset %d is negative.", startOffset));
    if (dest.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EDvxV24Error("Multipacket Error: area larger than 2 GiB.");
    JoinFinishedWorker();
    repeatLimit_ = 5;
    repeatTime_ = 2000;
    // Cleared here, not on the worker: a Cancel right after the start must count.
    cancelled_.store(false);
    transferState_.store(ETransferState::tsReading);
    auto t = std::make_unique<TDvxV24Thread>();
    t->Address = address;
    t->Number = number;
    t->Dest = dest.data();
    t->MaxTotal = static_cast<std::int32_t>(dest.size());
    t->StartOffset = startOffset;
    t->Connector = this;
    TDvxV24Thread* raw = t.get();
    asyncThread_ = std::move(t);
    raw->Thread = std::thread([this, raw] { RunAsync(raw); });
}

void TDvxV24Connector::RunAsync(TDvxV24Thread* t)
{
    // The worker sleeps for the line time of the bytes it waits for, some
    // thousand times a second in a download: the kernel's default slack of
    // 50 us a sleep would add up to several percent of the line time.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::int32_t result = 0;
    try {
        result = ReadMultipacketImpl(t->Address, t->Number, t->StartOffset,
                                     {t->Dest, static_cast<std::size_t>(t->MaxTotal)}, false);
    } catch (const std::exception& e) {
        SetFailure(e.what());
        transferState_.store(ETransferState::tsFailed);
    }
    {
        std::lock_guard lock(handlerMutex_);
        t->Result = result;
    }
    Dispatch([this] { CompleteAsync(); });
}

void TDvxV24Connector::CompleteAsync()
{
    std::unique_ptr<TDvxV24Thread> t;
    std::function<void(std::int32_t)> handler;
    std::int32_t result = 0;
    {
        std::lock_guard lock(handlerMutex_);
        t = std::move(asyncThread_);
        if (!t)
            return;
        completing_ = true;
        result = cancelled_.load() ? -2 : t->Result;
        handler = onAsyncDone_;
        if (t->Thread.get_id() == std::this_thread::get_id()) {
            ended_.push_back(std::move(t));
        }
    }
    if (t && t->Thread.joinable())
        t->Thread.join(); // the worker has posted this and is ending
    if (handler)
        handler(result);
    {
        std::lock_guard lock(handlerMutex_);
        completing_ = false;
    }
    asyncEnded_.notify_all();
}

bool TDvxV24Connector::IsAsyncActive() const
{
    std::lock_guard lock(handlerMutex_);
    return asyncThread_ != nullptr;
}

bool TDvxV24Connector::WaitAsyncEnded(std::uint32_t timeoutMs)
{
    std::unique_lock lock(handlerMutex_);
    return asyncEnded_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return asyncThread_ == nullptr && !completing_; });
}

} // namespace vro
