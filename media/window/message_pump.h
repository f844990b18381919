// The per-frame message pump.
#pragma once
#include "rorodiv.h"

namespace ror {

// Pumps while the window is inactive (unless a windowed WM_PAINT is drawing).
void WaitWhileInactive();

// One pass of the pump's message loop, for the pump and its tests. `dispatched` counts the
// messages of one PumpMessages call modulo the batch of five.
struct PumpPass {
    int dispatched;
    int empty;     // the pass dispatched nothing, or only a fifth message
    int quitSeen;  // QuitFlag was set when a message was taken: it was dropped
};
void RunPumpPass(PumpPass* pass);

}  // namespace ror
