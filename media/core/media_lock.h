// MediaLock: the re-entrant lock that InitMediaLayer, EndMediaLayer and PumpMessages hold for
// their whole run. Threads that must wait are queued and served in arrival order.
#pragma once
#include <cstdint>

namespace ror {

void AcquireMediaLock();
// Releases one level; at the owner's outermost release the first queued thread is woken.
void ReleaseMediaLock();
// Destroys the lock (it is made again on next use). Left alone while a thread holds it or
// waits for it.
void DestroyMediaLock();

// For tests and diagnostics.
struct MediaLockStatus {
    int32_t created;
    int32_t depth;
    int32_t owned;
    uint32_t owner;  // 0xFFFFFFFF when released
    int32_t waiting;
};
MediaLockStatus ReadMediaLockStatus();
// The thread id at a queue position (0 = head), 0 for a free entry.
uint32_t MediaLockQueuedThread(int position);

}  // namespace ror
