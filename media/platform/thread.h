// Threads and manual-reset events for the layer's worker threads.
// An event stays set until it is cleared; a wait on a set event returns at once.
#pragma once
#include <cstdint>

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
// Gives the rest of this time slice to other threads (a zero sleep).
void YieldSystemThread();
void SleepSystemThread(uint32_t milliseconds);

// A manual-reset event: once set it stays set until cleared; a wait on a set event
// returns at once. It lives inside a record of its owner, between InitSystemEvent and
// DestroySystemEvent; the storage holds the system's mutex and condition variable.
struct SystemEvent {
    alignas(16) unsigned char storage[128];
};

// 0, or -1 when the system refuses.
int InitSystemEvent(SystemEvent* event, bool initiallySet);
void DestroySystemEvent(SystemEvent* event);
void SetSystemEvent(SystemEvent* event);
void ClearSystemEvent(SystemEvent* event);
bool IsSystemEventSet(SystemEvent* event);
void WaitSystemEvent(SystemEvent* event);
// Returns true when the event was set, false when `milliseconds` passed first.
bool WaitSystemEventFor(SystemEvent* event, uint32_t milliseconds);
