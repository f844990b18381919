// What the rest of the layer calls of the input layer: set-up and shutdown, re-acquiring the
// devices on activation, the joypads' vibration steps and the pointer position.
#pragma once
#include <cstdint>

// 0; 1 when the keyboard's change event could not be set up. A keyboard or mouse that cannot
// be set up ends the program (FatalExit).
int SetupInput();
int ShutdownInput();
int ReacquireInputDevices();
// 0 makes the next set-ups run on the window system's key state alone, as on a machine
// without an input system; 1 (the default) uses the input devices. Before start-up. 0.
int SetInputDevicesEnabled(int enable);
// Starts or stops the joypads' vibration effects according to the window's activity.
int ApplyPadVibration();
// The per-frame step of timed vibrations.
int StepPadVibration();
// The pointer in client coordinates of the drawing surface. Always 0.
int ReadMousePosition(int32_t* outX, int32_t* outY);
