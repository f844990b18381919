#include "platform/system/clock.h"

#include <ctime>
#include <sched.h>

namespace ror {

static int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t SystemMilliseconds() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000); }

int64_t SystemCounter() { return MonotonicNanoseconds(); }

int64_t SystemCounterFrequency() { return 1000000000; }

void SystemSleep(uint32_t milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0) {}
}

namespace {
int TimerPeriodRequests = 0;
}

uint32_t TimerMinimumPeriod() { return 1; }

int BeginTimerPeriod(uint32_t period)
{
    if (period < TimerMinimumPeriod()) return -1;
    ++TimerPeriodRequests;
    return 0;
}

int EndTimerPeriod(uint32_t period)
{
    if (period < TimerMinimumPeriod() || TimerPeriodRequests == 0) return -1;
    --TimerPeriodRequests;
    return 0;
}

int OpenTimerPeriodRequests() { return TimerPeriodRequests; }

}  // namespace ror
