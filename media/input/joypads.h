// The joypads: set up with the input devices, read, and vibrated through two force-feedback
// effects (a constant force, and a sine pulse for strong vibrations).
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

// 0; -1 without the input system.
int EnumerateJoypads();
int ReleaseJoypads();
// The per-frame step that sets up pads plugged in and releases those removed, each with its
// input event. Pad numbers stay while a pad stays: a new pad takes the first free number.
int StepPadConnections();

}  // namespace ror
