#include "platform/system/thread.h"
#include "platform/system/service_faults.h"

#include <pthread.h>

namespace ror {

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
    if (ServiceCallFails(PlatformService::Thread)) return 0;
    if (pthread_create(&thread, nullptr, RunThread, const_cast<SystemThreadStart*>(start)) != 0) return 0;
    static_assert(sizeof(pthread_t) <= sizeof(SystemThread));
    return static_cast<SystemThread>(thread);
}

int JoinSystemThread(SystemThread thread)
{
    if (thread == 0) return -1;
    void* result = nullptr;
    if (pthread_join(static_cast<pthread_t>(thread), &result) != 0) return -1;
    return static_cast<int>(reinterpret_cast<intptr_t>(result));
}

}  // namespace ror
