// A manual-reset event: once signalled it stays signalled, waking every waiter, until reset.
// It allocates nothing, so threads that must not allocate (the file worker) may use it.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ror {

struct ManualResetEvent {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
};

void SignalEvent(ManualResetEvent& event);
void ResetEvent(ManualResetEvent& event);
void WaitEvent(ManualResetEvent& event);
// 1 when the event was signalled within the time, 0 on time-out.
int WaitEventFor(ManualResetEvent& event, uint32_t milliseconds);

}  // namespace ror
