// Millisecond ticks and deadlines for the link's time-outs and log stamps.
// The tick is a 32-bit view of the monotonic clock, so it wraps after about
// 49.7 days; every comparison goes through the signed difference of two
// ticks, which stays right across a wrap for spans below 2^31 ms.
#pragma once

#include <cstdint>

namespace vro {

// Milliseconds of the monotonic clock, truncated to 32 bits.
std::uint32_t GetTickCount32();

// Tick + Ms, modulo 2^32.
std::uint32_t Deadline(std::uint32_t ms);
// True once the tick has moved past the deadline.
bool DeadlinePassed(std::uint32_t deadline);
// The rule itself, for a given tick: passed when now lies after the deadline,
// judged by the signed 32-bit difference (wraps of the counter are harmless).
constexpr bool DeadlinePassedAt(std::uint32_t deadline, std::uint32_t now)
{
    return static_cast<std::int32_t>(now - deadline) > 0;
}
// Milliseconds left until the deadline (0 once it has passed).
std::uint32_t RemainingMs(std::uint32_t deadline);

// Tick - Start, modulo 2^32.
std::uint32_t ElapsedMs(std::uint32_t start);
// ElapsedMs(Start) / 1000 in single precision.
float ElapsedSeconds(std::uint32_t start);

// Sleeps the calling thread for the given milliseconds.
void SleepMs(std::uint32_t ms);

} // namespace vro
