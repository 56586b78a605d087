#include "link/dvxv24ticks.h"

#include <chrono>
#include <thread>

namespace vro {

std::uint32_t GetTickCount32()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint32_t Deadline(std::uint32_t ms) { return GetTickCount32() + ms; }

bool DeadlinePassed(std::uint32_t deadline) { return DeadlinePassedAt(deadline, GetTickCount32()); }

std::uint32_t RemainingMs(std::uint32_t deadline)
{
    const auto left = static_cast<std::int32_t>(deadline - GetTickCount32());
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

std::uint32_t ElapsedMs(std::uint32_t start) { return GetTickCount32() - start; }

float ElapsedSeconds(std::uint32_t start) { return static_cast<float>(ElapsedMs(start)) / 1000.0f; }

void SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace vro
