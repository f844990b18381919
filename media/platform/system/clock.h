// The system's clocks, as the layer reads them.
#pragma once
#include <cstdint>

namespace ror {

// Milliseconds of a monotonic clock, wrapping at 2^32 (the multimedia timer).
uint32_t SystemMilliseconds();

// A high-resolution monotonic counter and its ticks per second (nanoseconds here).
int64_t SystemCounter();
int64_t SystemCounterFrequency();

// Gives up the processor for about `milliseconds` (0 yields the time slice).
void SystemSleep(uint32_t milliseconds);

// The millisecond timer's finest period and requests for it. The monotonic clock is always
// that fine, so a request changes nothing; the open requests are counted so that every
// raise can be matched by a restore.
uint32_t TimerMinimumPeriod();
int BeginTimerPeriod(uint32_t period);  // 0, or -1 for a period below the minimum
int EndTimerPeriod(uint32_t period);    // 0, or -1 when no request of that period is open
int OpenTimerPeriodRequests();

}  // namespace ror
