// The joypads: set up with the input devices, read, and vibrated through two force-feedback
// effects (a constant force, and a sine pulse for strong vibrations).
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

// 0; -1 without the input system.
int EnumerateJoypads();
int ReleaseJoypads();

}  // namespace ror
