// What the rest of the layer calls of the input layer: set-up and shutdown, re-acquiring the
// devices on activation, the joypads' vibration steps and the pointer position.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

// 0; 1 when the keyboard's change event could not be set up. A keyboard or mouse that cannot
// be set up ends the program (FatalExit).
int SetupInput();
int ShutdownInput();
int ReacquireInputDevices();
// Starts or stops the joypads' vibration effects according to the window's activity.
int ApplyPadVibration();
// The per-frame step of timed vibrations.
int StepPadVibration();

}  // namespace ror
