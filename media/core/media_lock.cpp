#include "core/media_lock.h"

#include "platform/system/clock.h"
#include "platform/system/event.h"
#include "platform/system/thread_id.h"

#include <mutex>

namespace ror {

namespace {

constexpr int kQueueLength = 4096;
constexpr uint32_t kNoOwner = 0xFFFFFFFF;

struct QueueEntry {
    uint32_t thread;
    int32_t event;  // index into the event pool; every entry always holds a distinct one
};

struct MediaLockRecord {
    int32_t created;
    int32_t depth;
    int32_t owned;
    uint32_t owner = kNoOwner;
    QueueEntry queue[kQueueLength];
    int32_t waiting;
    std::mutex guard;  // protects the fields above
};

MediaLockRecord Lock;
ManualResetEvent Events[kQueueLength];

// Called with the guard held.
void CreateIfNeeded()
{
    if (Lock.created) return;
    Lock.created = 1;
    for (int i = 0; i < kQueueLength; ++i) {
        Lock.queue[i] = QueueEntry{0, i};
        ResetEvent(Events[i]);
    }
}

void Take(uint32_t thread)
{
    ++Lock.depth;
    Lock.owned = 1;
    Lock.owner = thread;
}

}  // namespace

void AcquireMediaLock()
{
    const uint32_t self = CurrentThreadId();
    for (;;) {
        std::unique_lock guard(Lock.guard);
        CreateIfNeeded();
        if (Lock.owned) {
            if (Lock.owner == self) return Take(self);
        } else if (Lock.waiting == 0 || Lock.owner == self) {
            return Take(self);
        } else if (Lock.queue[0].thread == self) {
            // The head leaves: everyone moves up and its event goes to the freed last entry.
            const int32_t event = Lock.queue[0].event;
            for (int i = 1; i < Lock.waiting; ++i) Lock.queue[i - 1] = Lock.queue[i];
            Lock.queue[Lock.waiting - 1] = QueueEntry{0, event};
            --Lock.waiting;
            return Take(self);
        }
        if (Lock.waiting == kQueueLength) {
            guard.unlock();
            SystemSleep(1);
            continue;
        }
        QueueEntry& entry = Lock.queue[Lock.waiting++];
        entry.thread = self;
        ManualResetEvent& event = Events[entry.event];
        guard.unlock();
        WaitEvent(event);
        ResetEvent(event);
    }
}

void ReleaseMediaLock()
{
    int32_t wake = -1;
    {
        std::lock_guard guard(Lock.guard);
        if (Lock.depth <= 0) return;  // not held: nothing to release
        if (Lock.depth == 1) {
            Lock.owned = 0;
            Lock.owner = kNoOwner;
            if (Lock.waiting > 0) wake = Lock.queue[0].event;
        }
        --Lock.depth;
    }
    if (wake >= 0) {
        SignalEvent(Events[wake]);
        SystemSleep(0);
    }
}

void DestroyMediaLock()
{
    std::lock_guard guard(Lock.guard);
    // Destroying it under a waiting thread would lose that thread's wake-up for good.
    if (!Lock.created || Lock.owned || Lock.waiting > 0) return;
    Lock.created = 0;
    Lock.depth = 0;
    Lock.owner = kNoOwner;
}

MediaLockStatus ReadMediaLockStatus()
{
    std::lock_guard guard(Lock.guard);
    return MediaLockStatus{Lock.created, Lock.depth, Lock.owned, Lock.owner, Lock.waiting};
}

uint32_t MediaLockQueuedThread(int position)
{
    std::lock_guard guard(Lock.guard);
    if (position < 0 || position >= kQueueLength) return 0;
    return Lock.queue[position].thread;
}

}  // namespace ror
