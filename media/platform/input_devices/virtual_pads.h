// Pads that exist only in SDL (its virtual joysticks), for tests of the joypads: attached
// before the input layer enumerates or while it runs, unplugged, moved and pressed by the test, and recording what the
// layer asked of their rumble motors.
#pragma once
#include <cstdint>

namespace ror {

struct VirtualPadDesc {
    const char* name;         // UTF-8
    int gameController;       // 1: a pad SDL knows (all its axes and buttons), 0: a plain joystick
    int axes, buttons, hats;  // plain joysticks only
    int rumble;               // 1: the pad has rumble motors
};

struct VirtualPadRumble {
    int requests;        // rumble requests the pad received
    uint16_t low, high;  // the last strengths asked for
};

// A slot number (0..) or -1. Starts SDL's joysticks for as long as virtual pads exist.
int AttachVirtualPad(const VirtualPadDesc& desc);
void DetachAllVirtualPads();
// Unplugs one pad while the program runs; its slot stays empty. 0 / -1.
int DetachVirtualPad(int slot);
// Values as SDL's: axes -32768..32767; hats SDL_HAT_* (1 up, 2 right, 4 down, 8 left).
int SetVirtualPadAxis(int slot, int axis, int16_t value);
int SetVirtualPadButton(int slot, int button, int down);
int SetVirtualPadHat(int slot, int hat, uint8_t value);
VirtualPadRumble VirtualPadRumbleOf(int slot);

}  // namespace ror
