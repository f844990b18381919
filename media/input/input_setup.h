// What the rest of the layer calls of the input layer: set-up and shutdown, re-acquiring the
// devices on activation, the joypads' vibration steps and the pointer position.
// Placeholder bodies live in input_setup_stub.cpp until the input layer replaces them.
#pragma once
#include <cstdint>

int SetupInput();
int ShutdownInput();
int ReacquireInputDevices();
// Starts or stops the joypads' vibration effects according to the window's activity.
int ApplyPadVibration();
// The per-frame step of timed vibrations.
int StepPadVibration();
// The pointer in client coordinates of the drawing surface. Always 0.
int ReadMousePosition(int32_t* outX, int32_t* outY);
