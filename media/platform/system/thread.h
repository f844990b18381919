// The layer's worker threads (their events are the ManualResetEvent of platform/system/event.h;
// sleeping and yielding are SystemSleep of platform/system/clock.h).
#pragma once
#include <cstdint>

namespace ror {

// A running thread; 0 is none.
using SystemThread = uintptr_t;

// What a new thread runs: entry(argument). The record belongs to the caller and must
// outlive the thread (it sits in the caller's own state, so starting allocates nothing).
struct SystemThreadStart {
    int (*entry)(void* argument);
    void* argument;
};

// Starts a thread with the default stack; 0 on failure.
SystemThread StartSystemThread(const SystemThreadStart* start);
// Waits until the thread has ended and releases it; returns its exit code, or -1.
int JoinSystemThread(SystemThread thread);

}  // namespace ror
