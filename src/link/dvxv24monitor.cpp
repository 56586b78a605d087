// TDvxV24Monitor: the transfer statistics of the connector.
#include "link/dvxv24connector.h"

#include "link/dvxv24format.h"
#include "link/dvxv24ticks.h"

namespace vro {

void TDvxV24Monitor::Reset()
{
    std::unique_lock lock(mutex_);
    stats_.Errors = stats_.Max = stats_.Min = stats_.Count = stats_.Sum = 0;
}

void TDvxV24Monitor::Start()
{
    std::lock_guard lock(mutex_);
    startTick_ = GetTickCount32();
}

void TDvxV24Monitor::Success()
{
    std::unique_lock lock(mutex_);
    auto& s = stats_;
    s.Last = static_cast<std::int32_t>(ElapsedMs(startTick_));
    if (s.Last < s.Min || s.Min <= 0)
        s.Min = s.Last;
    if (s.Last > s.Max)
        s.Max = s.Last;
    s.Count += 1;
    s.Sum += s.Last;
    s.Avg = s.Sum / s.Count;
    Notify(lock);
}

void TDvxV24Monitor::Failure()
{
    std::unique_lock lock(mutex_);
    stats_.Last = 0;
    stats_.Errors += 1;
    Notify(lock);
}

void TDvxV24Monitor::Notify(std::unique_lock<std::mutex>& lock)
{
    if (!onChange_)
        return;
    auto handler = onChange_;
    auto dispatcher = dispatcher_;
    const TDvxV24MonitorStats snapshot = stats_;
    lock.unlock();
    if (dispatcher)
        dispatcher([handler, snapshot] { handler(snapshot); });
    else
        handler(snapshot);
}

TDvxV24MonitorStats TDvxV24Monitor::Stats() const
{
    std::lock_guard lock(mutex_);
    return stats_;
}

void TDvxV24Monitor::SetOnChange(std::function<void(const TDvxV24MonitorStats&)> handler)
{
    std::lock_guard lock(mutex_);
    onChange_ = std::move(handler);
}

void TDvxV24Monitor::SetDispatcher(TDvxDispatcher dispatcher)
{
    std::lock_guard lock(mutex_);
    dispatcher_ = std::move(dispatcher);
}

std::string TDvxV24Monitor::FormatLabel(const TDvxV24MonitorStats& s)
{
    return v24detail::Format("Count:%5d   Last:%5dms   Min:%5dms   Max:%5dms   Avg:%5dms   Error:%5d", s.Count, s.Last,
                             s.Min, s.Max, s.Avg, s.Errors);
}

} // namespace vro
