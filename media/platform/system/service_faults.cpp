#include "platform/system/service_faults.h"

#include <atomic>

namespace ror {

namespace {

// Per service: the calls still to go before the armed failure, 0 when none is armed. Threads
// start and files open on worker threads too, so the countdown is atomic.
struct ServiceFaultState {
    std::atomic<int32_t> armed{0};
    std::atomic<int32_t> countdown[int(PlatformService::Count)]{};
};

ServiceFaultState ServiceFaults;

constexpr const char* kServiceNames[] = {"window", "GL context", "audio device", "input device", "file open", "thread"};
static_assert(sizeof kServiceNames / sizeof kServiceNames[0] == int(PlatformService::Count));

}  // namespace

const char* PlatformServiceName(PlatformService service) { return kServiceNames[int(service)]; }

void FailServiceCallForTest(PlatformService service, int32_t nth)
{
    ServiceFaults.countdown[int(service)].store(nth > 0 ? nth : 0);
    int32_t armed = 0;
    for (const auto& countdown : ServiceFaults.countdown) armed += countdown.load() > 0;
    ServiceFaults.armed.store(armed);
}

int32_t ServiceCallsBeforeFailure(PlatformService service) { return ServiceFaults.countdown[int(service)].load(); }

void ClearServiceFaultsForTest()
{
    for (auto& countdown : ServiceFaults.countdown) countdown.store(0);
    ServiceFaults.armed.store(0);
}

bool ServiceCallFails(PlatformService service)
{
    if (ServiceFaults.armed.load(std::memory_order_relaxed) == 0) return false;
    std::atomic<int32_t>& countdown = ServiceFaults.countdown[int(service)];
    int32_t left = countdown.load();
    while (left > 0 && !countdown.compare_exchange_weak(left, left - 1)) {}
    return left == 1;
}

}  // namespace ror
