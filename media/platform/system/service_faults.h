// Failures of the system's services on demand, for the tests that walk every failure path
// of start-up and shutdown: the N-th call of a chosen service fails as the system would
// make it fail. Always compiled in: a service pays one relaxed atomic load while nothing is
// armed, and the tests then run the very code a user runs.
#pragma once
#include <cstdint>

namespace ror {

enum class PlatformService : int {
    Window,       // creating a window
    GlContext,    // creating a GL context for a window
    AudioDevice,  // starting the audio driver, opening its output
    InputDevice,  // creating a keyboard, mouse or pad device
    FileOpen,     // opening a file
    Thread,       // starting a thread
    Count
};

// The service's name as the tests print it ("window", "file open", ...).
const char* PlatformServiceName(PlatformService service);

// The nth call of the service from now fails (1 = the next one); 0 disarms it.
void FailServiceCallForTest(PlatformService service, int32_t nth);
// Calls still to go before the armed failure: 0 when it happened or nothing is armed.
int32_t ServiceCallsBeforeFailure(PlatformService service);
void ClearServiceFaultsForTest();

// Asked by a service at its start: true when this call must fail.
bool ServiceCallFails(PlatformService service);

}  // namespace ror
