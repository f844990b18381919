// The layer's clocks, and the start-up steps that measure the machine: the system report,
// the timer probe with the random seeding, and the second-instance check.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

struct CpuIdentity;

// The message pump the waits call (0, or -1 once the window has gone); start-up installs it,
// since the pump sits layers above the clock.
void SetWaitPump(int (*pump)());

// Start-up step 10: the system report in the log; raises the timer resolution. The count of
// the processor's speed waits 100 ms of the clock; `whileCounting`, when given, runs inside
// that wait (start-up's slow probes), so the wait costs nothing extra.
void WriteSystemReport(void (*whileCounting)() = nullptr);
// The processor part of the report, for a given identity (the report reads the real one).
void WriteProcessorReport(const CpuIdentity& cpu, void (*whileCounting)() = nullptr);
// Inside the window step: measures which clock updates more finely, pumping the window's
// messages through `pump` while it counts, and raises the timer resolution again.
void ProbeTimers(int (*pump)());
// Inside the window step: -1 (with QuitFlag set) when another copy has a window of ClassName.
int CheckSecondInstance();

}  // namespace ror
