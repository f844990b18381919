#include "platform/thread.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

namespace {

void* RunThread(void* raw)
{
    const auto* start = static_cast<const SystemThreadStart*>(raw);
    return reinterpret_cast<void*>(static_cast<intptr_t>(start->entry(start->argument)));
}

}  // namespace

SystemThread StartSystemThread(const SystemThreadStart* start)
{
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunThread, const_cast<SystemThreadStart*>(start)) != 0)
        return 0;
    static_assert(sizeof(pthread_t) <= sizeof(SystemThread));
    return static_cast<SystemThread>(thread);
}

int JoinSystemThread(SystemThread thread)
{
    if (thread == 0)
        return -1;
    void* result = nullptr;
    if (pthread_join(static_cast<pthread_t>(thread), &result) != 0)
        return -1;
    return static_cast<int>(reinterpret_cast<intptr_t>(result));
}

void YieldSystemThread()
{
    sched_yield();
}

void SleepSystemThread(uint32_t milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

namespace {

struct EventParts {
    pthread_mutex_t lock;
    pthread_cond_t changed;
    bool set;
};
static_assert(sizeof(EventParts) <= sizeof(SystemEvent::storage));

EventParts* Parts(SystemEvent* event)
{
    return reinterpret_cast<EventParts*>(event->storage);
}

}  // namespace

int InitSystemEvent(SystemEvent* event, bool initiallySet)
{
    EventParts* parts = Parts(event);
    pthread_condattr_t attributes;
    if (pthread_condattr_init(&attributes) != 0)
        return -1;
    // Timed waits count on the monotonic clock, unaffected by changes of the wall clock.
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    int failed = pthread_cond_init(&parts->changed, &attributes);
    pthread_condattr_destroy(&attributes);
    if (failed != 0)
        return -1;
    if (pthread_mutex_init(&parts->lock, nullptr) != 0) {
        pthread_cond_destroy(&parts->changed);
        return -1;
    }
    parts->set = initiallySet;
    return 0;
}

void DestroySystemEvent(SystemEvent* event)
{
    pthread_cond_destroy(&Parts(event)->changed);
    pthread_mutex_destroy(&Parts(event)->lock);
}

void SetSystemEvent(SystemEvent* event)
{
    EventParts* parts = Parts(event);
    pthread_mutex_lock(&parts->lock);
    parts->set = true;
    pthread_cond_broadcast(&parts->changed);
    pthread_mutex_unlock(&parts->lock);
}

void ClearSystemEvent(SystemEvent* event)
{
    EventParts* parts = Parts(event);
    pthread_mutex_lock(&parts->lock);
    parts->set = false;
    pthread_mutex_unlock(&parts->lock);
}

bool IsSystemEventSet(SystemEvent* event)
{
    EventParts* parts = Parts(event);
    pthread_mutex_lock(&parts->lock);
    bool set = parts->set;
    pthread_mutex_unlock(&parts->lock);
    return set;
}

void WaitSystemEvent(SystemEvent* event)
{
    EventParts* parts = Parts(event);
    pthread_mutex_lock(&parts->lock);
    while (!parts->set)
        pthread_cond_wait(&parts->changed, &parts->lock);
    pthread_mutex_unlock(&parts->lock);
}

bool WaitSystemEventFor(SystemEvent* event, uint32_t milliseconds)
{
    EventParts* parts = Parts(event);
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += long(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    pthread_mutex_lock(&parts->lock);
    while (!parts->set) {
        if (pthread_cond_timedwait(&parts->changed, &parts->lock, &deadline) != 0)
            break;
    }
    bool set = parts->set;
    pthread_mutex_unlock(&parts->lock);
    return set;
}
