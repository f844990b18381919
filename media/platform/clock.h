// The system's clocks, as the layer reads them.
#pragma once
#include <cstdint>

// Milliseconds of a monotonic clock, wrapping at 2^32 (the multimedia timer).
uint32_t SystemMilliseconds();

// A high-resolution monotonic counter and its ticks per second (nanoseconds here).
int64_t SystemCounter();
int64_t SystemCounterFrequency();

// Gives up the processor for about `milliseconds` (0 yields the time slice).
void SystemSleep(uint32_t milliseconds);
