#include "platform/system/event.h"

namespace ror {

// <chrono> itself cannot be compiled with the cp932 execution character set; the duration
// types come with <condition_variable>.

void SignalEvent(ManualResetEvent& event)
{
    {
        std::lock_guard lock(event.mutex);
        event.signalled = true;
    }
    event.changed.notify_all();
}

void ResetEvent(ManualResetEvent& event)
{
    std::lock_guard lock(event.mutex);
    event.signalled = false;
}

void WaitEvent(ManualResetEvent& event)
{
    std::unique_lock lock(event.mutex);
    event.changed.wait(lock, [&] { return event.signalled; });
}

int WaitEventFor(ManualResetEvent& event, uint32_t milliseconds)
{
    std::unique_lock lock(event.mutex);
    return event.changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return event.signalled; }) ? 1
                                                                                                                  : 0;
}

}  // namespace ror
