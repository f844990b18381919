#include "platform/input_devices/virtual_pads.h"

#include <SDL.h>

namespace ror {

namespace {

constexpr int kMaxVirtualPads = 24;

struct VirtualPad {
    SDL_JoystickID instanceId;
    SDL_Joystick* joystick;  // our own handle, for setting its values
    VirtualPadRumble rumble;
};

struct VirtualPadsRecord {
    int count;
    VirtualPad pads[kMaxVirtualPads];
};

VirtualPadsRecord Virtual;

int SDLCALL RecordRumble(void* userdata, Uint16 low, Uint16 high)
{
    auto* pad = static_cast<VirtualPad*>(userdata);
    ++pad->rumble.requests;
    pad->rumble.low = low;
    pad->rumble.high = high;
    return 0;
}

SDL_Joystick* JoystickOfSlot(int slot)
{
    return slot >= 0 && slot < Virtual.count ? Virtual.pads[slot].joystick : nullptr;
}

}  // namespace

int AttachVirtualPad(const VirtualPadDesc& desc)
{
    if (Virtual.count == kMaxVirtualPads) return -1;
    if (Virtual.count == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return -1;
    VirtualPad& pad = Virtual.pads[Virtual.count];
    pad = VirtualPad{};
    SDL_VirtualJoystickDesc sdl{};
    sdl.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (desc.gameController) {
        sdl.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        sdl.naxes = SDL_CONTROLLER_AXIS_MAX;
        sdl.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    } else {
        sdl.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        sdl.naxes = static_cast<Uint16>(desc.axes);
        sdl.nbuttons = static_cast<Uint16>(desc.buttons);
        sdl.nhats = static_cast<Uint16>(desc.hats);
    }
    sdl.name = desc.name;
    sdl.userdata = &pad;
    if (desc.rumble) sdl.Rumble = RecordRumble;
    const int index = SDL_JoystickAttachVirtualEx(&sdl);
    if (index < 0) return -1;
    pad.joystick = SDL_JoystickOpen(index);
    if (!pad.joystick) {
        SDL_JoystickDetachVirtual(index);
        return -1;
    }
    pad.instanceId = SDL_JoystickInstanceID(pad.joystick);
    return Virtual.count++;
}

int DetachVirtualPad(int slot)
{
    if (slot < 0 || slot >= Virtual.count || !Virtual.pads[slot].joystick) return -1;
    VirtualPad& pad = Virtual.pads[slot];
    SDL_JoystickClose(pad.joystick);
    pad.joystick = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == pad.instanceId) return SDL_JoystickDetachVirtual(index);
    }
    return -1;
}

void DetachAllVirtualPads()
{
    for (int slot = Virtual.count - 1; slot >= 0; --slot) DetachVirtualPad(slot);
    if (Virtual.count > 0) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    Virtual.count = 0;
}

int SetVirtualPadAxis(int slot, int axis, int16_t value)
{
    SDL_Joystick* joystick = JoystickOfSlot(slot);
    return joystick && SDL_JoystickSetVirtualAxis(joystick, axis, value) == 0 ? 0 : -1;
}

int SetVirtualPadButton(int slot, int button, int down)
{
    SDL_Joystick* joystick = JoystickOfSlot(slot);
    return joystick && SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED) == 0 ? 0 : -1;
}

int SetVirtualPadHat(int slot, int hat, uint8_t value)
{
    SDL_Joystick* joystick = JoystickOfSlot(slot);
    return joystick && SDL_JoystickSetVirtualHat(joystick, hat, value) == 0 ? 0 : -1;
}

VirtualPadRumble VirtualPadRumbleOf(int slot)
{
    return slot >= 0 && slot < Virtual.count ? Virtual.pads[slot].rumble : VirtualPadRumble{};
}

}  // namespace ror
