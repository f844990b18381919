// The joypads: set up with the input devices, read, and vibrated through two force-feedback
// effects (a constant force, and a sine pulse for strong vibrations).
#pragma once
#include <cstdint>

// 0; -1 without the input system.
int EnumerateJoypads();
int ReleaseJoypads();
// Pads are numbered from 1; bit 0x1000 of a pad number is ignored.
int StopPadVibration(int pad);
