#include "platform/input_devices/input_devices.h"
#include "platform/system/service_faults.h"

#include "platform/system/clock.h"
#include "platform/system/codepage.h"
#include "platform/window_system/virtual_keys.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace ror {

enum class DeviceKind { Keyboard, Mouse, Pad };

struct AxisSetting {
    int present;
    int32_t minimum, maximum, deadZone;
};

struct PadEffect {
    int inUse;
    InputDevice* device;
    PadEffectParams params;
    int playing;
    uint32_t startTime;  // milliseconds
};

struct InputDevice {
    int inUse;
    DeviceKind kind;
    int formatSet;
    uint32_t level;
    int acquired;
    ManualResetEvent* changeEvent;
    int32_t bufferSize;
    SDL_Joystick* joystick;
    SDL_GameController* controller;
    SDL_JoystickID instanceId;
    AxisSetting axes[4];
    PadEffect effects[2];
    uint16_t sentLevel;  // the motor strength last sent
};

namespace {

constexpr int kDevicePool = 24;

struct InputDevicesRecord {
    uint32_t initialised;  // SDL subsystems this layer started
    int watching;
    uint32_t faults;
    uint32_t padArrivals;  // SDL_JOYDEVICEADDED events seen
    InputDevice devices[kDevicePool];
};

InputDevicesRecord Devices;

bool Fault(uint32_t fault) { return (Devices.faults & fault) != 0; }

int SDLCALL WatchDeviceEvents(void*, SDL_Event* event)
{
    auto signalPad = [](SDL_JoystickID which) {
        for (InputDevice& device : Devices.devices) {
            if (device.inUse && device.kind == DeviceKind::Pad && device.instanceId == which && device.changeEvent)
                SignalEvent(*device.changeEvent);
        }
    };
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        for (InputDevice& device : Devices.devices) {
            if (device.inUse && device.kind == DeviceKind::Keyboard && device.changeEvent)
                SignalEvent(*device.changeEvent);
        }
        break;
    case SDL_JOYDEVICEADDED: ++Devices.padArrivals; break;
    case SDL_JOYAXISMOTION: signalPad(event->jaxis.which); break;
    case SDL_JOYHATMOTION: signalPad(event->jhat.which); break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: signalPad(event->jbutton.which); break;
    default: break;
    }
    return 1;
}

InputDevice* NewDevice(DeviceKind kind)
{
    for (InputDevice& device : Devices.devices) {
        if (device.inUse) continue;
        device = InputDevice{};
        device.inUse = 1;
        device.kind = kind;
        for (AxisSetting& axis : device.axes) axis = AxisSetting{0, 0, 65535, 0};
        return &device;
    }
    return nullptr;
}

SDL_Joystick* JoystickOf(const InputDevice* device)
{
    return device->controller ? SDL_GameControllerGetJoystick(device->controller) : device->joystick;
}

bool HasRumble(const InputDevice* device)
{
    SDL_Joystick* joystick = JoystickOf(device);
    return joystick && SDL_JoystickHasRumble(joystick) == SDL_TRUE;
}

int32_t RawAxis(const InputDevice* device, PadAxis axis)
{
    if (device->controller) {
        static constexpr SDL_GameControllerAxis kAxes[] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                                           SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY};
        return SDL_GameControllerGetAxis(device->controller, kAxes[static_cast<int>(axis)]);
    }
    return SDL_JoystickGetAxis(device->joystick, static_cast<int>(axis));
}

int32_t PovOfHat(uint8_t hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return -1;
    }
}

// The signed force of one playing effect at a time since its start.
double EffectForce(const PadEffect& effect, uint32_t now)
{
    const PadEffectParams& p = effect.params;
    if (p.kind == PadEffectKind::ConstantForce) return p.magnitude;
    const double elapsedUs = static_cast<double>(now - effect.startTime) * 1000.0;
    double amplitude = p.magnitude;
    if (p.attackMicroseconds > 0 && elapsedUs < p.attackMicroseconds) {
        amplitude = p.attackLevel + (p.magnitude - p.attackLevel) * elapsedUs / p.attackMicroseconds;
    }
    if (p.periodMicroseconds == 0) return amplitude;
    constexpr double kTwoPi = 6.283185307179586;
    return amplitude * std::sin(kTwoPi * elapsedUs / p.periodMicroseconds);
}

void PlayDevice(InputDevice* device, uint32_t now)
{
    if (!HasRumble(device)) return;
    double force = 0.0;
    for (const PadEffect& effect : device->effects) {
        if (effect.inUse && effect.playing) force += EffectForce(effect, now);
    }
    double strength = std::fabs(force);
    if (strength > 10000.0) strength = 10000.0;
    const auto level = static_cast<uint16_t>(std::lround(strength * 65535.0 / 10000.0));
    if (level == device->sentLevel) return;
    device->sentLevel = level;
    // A duration of 0 keeps the motors running until the next request.
    SDL_JoystickRumble(JoystickOf(device), level, level, 0);
}

}  // namespace

uint32_t ObtainInputSystem(int version)
{
    if (Fault(version == 7 ? kFaultObtain7 : kFaultObtain8)) return kInputSystemMissing;
    if (Devices.initialised) return 0;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return kInputSystemMissing;
    Devices.initialised = SDL_INIT_EVENTS;
    return 0;
}

int InitializeInputSystem(int version)
{
    if (Fault(version == 7 ? kFaultInitialize7 : kFaultInitialize8)) return -1;
    const uint32_t systems = version == 7 ? SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER : SDL_INIT_JOYSTICK;
    // Pads are read whichever window has the focus, as the keyboard and mouse are.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(systems) != 0) return -1;
    Devices.initialised |= systems;
    if (!Devices.watching) {
        SDL_AddEventWatch(WatchDeviceEvents, nullptr);
        Devices.watching = 1;
    }
    return 0;
}

void ReleaseInputSystem()
{
    for (InputDevice& device : Devices.devices) {
        if (device.inUse) ReleaseDevice(&device);
    }
    if (Devices.watching) {
        SDL_DelEventWatch(WatchDeviceEvents, nullptr);
        Devices.watching = 0;
    }
    if (Devices.initialised) SDL_QuitSubSystem(Devices.initialised);
    Devices.initialised = 0;
}

int CountSystemJoysticks()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
    int count = SDL_NumJoysticks();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (count < 0) count = 0;
    return count > 16 ? 16 : count;
}

InputDevice* CreateKeyboardDevice()
{
    if (Fault(kFaultCreateKeyboard) || !Devices.initialised || ServiceCallFails(PlatformService::InputDevice))
        return nullptr;
    return NewDevice(DeviceKind::Keyboard);
}

InputDevice* CreateMouseDevice()
{
    if (Fault(kFaultCreateMouse) || !Devices.initialised || ServiceCallFails(PlatformService::InputDevice))
        return nullptr;
    return NewDevice(DeviceKind::Mouse);
}

int CountPadDevices()
{
    if (!(Devices.initialised & SDL_INIT_JOYSTICK)) return 0;
    const int count = SDL_NumJoysticks();
    return count < 0 ? 0 : count;
}

InputDevice* CreatePadDevice(int index)
{
    if (!(Devices.initialised & SDL_INIT_JOYSTICK) || index < 0 || index >= SDL_NumJoysticks()) return nullptr;
    if (ServiceCallFails(PlatformService::InputDevice)) return nullptr;
    InputDevice* device = NewDevice(DeviceKind::Pad);
    if (!device) return nullptr;
    if ((Devices.initialised & SDL_INIT_GAMECONTROLLER) && SDL_IsGameController(index)) {
        device->controller = SDL_GameControllerOpen(index);
    }
    if (!device->controller) device->joystick = SDL_JoystickOpen(index);
    SDL_Joystick* joystick = JoystickOf(device);
    if (!joystick) {
        device->inUse = 0;
        return nullptr;
    }
    device->instanceId = SDL_JoystickInstanceID(joystick);
    for (int axis = 0; axis < 4; ++axis) {
        // A pad SDL knows has its sticks as X, Y (left) and Z, Rz (right).
        device->axes[axis].present =
            device->controller
                ? SDL_GameControllerHasAxis(device->controller, static_cast<SDL_GameControllerAxis>(axis)) == SDL_TRUE
                : axis < SDL_JoystickNumAxes(joystick);
    }
    return device;
}

void ReleaseDevice(InputDevice* device)
{
    if (!device || !device->inUse) return;
    for (PadEffect& effect : device->effects) ReleasePadEffect(&effect);
    if (device->controller) SDL_GameControllerClose(device->controller);
    if (device->joystick) SDL_JoystickClose(device->joystick);
    *device = InputDevice{};
}

int SetDataFormat(InputDevice* device)
{
    if (!device || !device->inUse) return -1;
    switch (device->kind) {
    case DeviceKind::Keyboard:
        if (Fault(kFaultKeyboardFormat)) return -1;
        break;
    case DeviceKind::Mouse:
        if (Fault(kFaultMouseFormat)) return -1;
        break;
    case DeviceKind::Pad: {
        SDL_Joystick* joystick = JoystickOf(device);
        if (SDL_JoystickNumAxes(joystick) <= 0 && SDL_JoystickNumButtons(joystick) <= 0 &&
            SDL_JoystickNumHats(joystick) <= 0)
            return -1;
        break;
    }
    }
    device->formatSet = 1;
    return 0;
}

int SetCooperativeLevel(InputDevice* device, WindowHandle window, uint32_t level)
{
    if (!device || !device->inUse || !window) return -1;
    if (device->kind == DeviceKind::Keyboard && Fault(kFaultKeyboardLevel)) return -1;
    if (device->kind == DeviceKind::Mouse && Fault(kFaultMouseLevel)) return -1;
    if (device->kind == DeviceKind::Pad && Fault(kFaultPadLevel)) return -1;
    // Exactly one of exclusive and non-exclusive, and of foreground and background.
    const bool exclusive = level & kCooperativeExclusive, shared = level & kCooperativeNonExclusive;
    const bool foreground = level & kCooperativeForeground, background = level & kCooperativeBackground;
    if (exclusive == shared || foreground == background) return -1;
    device->level = level;
    return 0;
}

int SetBufferSize(InputDevice* device, int32_t entries)
{
    if (!device || !device->inUse || entries < 0) return -1;
    if (device->kind == DeviceKind::Keyboard && Fault(kFaultKeyboardBufferSize)) return -1;
    device->bufferSize = entries;
    return 0;
}

int SetChangeEvent(InputDevice* device, ManualResetEvent* event)
{
    if (!device || !device->inUse) return -1;
    if (event && device->kind == DeviceKind::Keyboard && Fault(kFaultKeyboardEvent)) return -1;
    if (event && device->kind == DeviceKind::Pad && Fault(kFaultPadEvent)) return -1;
    device->changeEvent = event;
    return 0;
}

int AcquireDevice(InputDevice* device)
{
    if (!device || !device->inUse || !device->formatSet || !device->level) return -1;
    if (device->kind == DeviceKind::Keyboard && Fault(kFaultKeyboardAcquire)) return -1;
    device->acquired = 1;
    return 0;
}

int UnacquireDevice(InputDevice* device)
{
    if (!device || !device->inUse) return -1;
    device->acquired = 0;
    return 0;
}

int SetAxisRange(InputDevice* device, PadAxis axis, int32_t minimum, int32_t maximum)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad || minimum >= maximum) return -1;
    AxisSetting& setting = device->axes[static_cast<int>(axis)];
    if (!setting.present) return -1;
    setting.minimum = minimum;
    setting.maximum = maximum;
    return 0;
}

int SetAxisDeadZone(InputDevice* device, PadAxis axis, int32_t deadZone)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad || deadZone < 0 || deadZone > 10000) return -1;
    AxisSetting& setting = device->axes[static_cast<int>(axis)];
    if (!setting.present) return -1;
    setting.deadZone = deadZone;
    return 0;
}

int32_t ScaleAxisValue(int32_t raw, int32_t minimum, int32_t maximum, int32_t deadZone)
{
    double unit = raw >= 0 ? raw / 32767.0 : raw / 32768.0;
    if (unit > 1.0) unit = 1.0;
    if (unit < -1.0) unit = -1.0;
    const double zone = deadZone / 10000.0;
    double magnitude = std::fabs(unit);
    magnitude = magnitude <= zone ? 0.0 : (magnitude - zone) / (1.0 - zone);
    const double centre = (static_cast<double>(minimum) + maximum) / 2.0;
    const double half = (static_cast<double>(maximum) - minimum) / 2.0;
    return static_cast<int32_t>(std::lround(centre + (unit < 0 ? -magnitude : magnitude) * half));
}

int ReadKeyboardDevice(InputDevice* device, uint8_t keyState[256])
{
    if (!device || !device->inUse || device->kind != DeviceKind::Keyboard || !device->acquired) return -1;
    if (Fault(kFaultKeyboardRead)) return -1;
    int count = 0;
    const uint8_t* held = SDL_GetKeyboardState(&count);
    std::memset(keyState, 0, 256);
    for (const KeyMapping& key : KeyMappings()) {
        if (key.sdlScancode < count && held[key.sdlScancode]) keyState[key.scanCode] = 0x80;
    }
    return 0;
}

int ReadMouseDevice(InputDevice* device, MouseDeviceState* out)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Mouse || !device->acquired) return -1;
    if (Fault(kFaultMouseRead)) return -1;
    *out = MouseDeviceState{};
    int dx = 0, dy = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    out->x = dx;
    out->y = dy;
    const uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    static constexpr int kOrder[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1,
                                     SDL_BUTTON_X2};
    for (int i = 0; i < 5; ++i) {
        if (buttons & SDL_BUTTON(kOrder[i])) out->buttons[i] = 0x80;
    }
    return 0;
}

int ReadPadDevice(InputDevice* device, PadDeviceState* out)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad || !device->acquired) return -1;
    SDL_JoystickUpdate();
    *out = PadDeviceState{};
    int32_t* values[] = {&out->x, &out->y, &out->z, &out->rz};
    for (int axis = 0; axis < 4; ++axis) {
        const AxisSetting& setting = device->axes[axis];
        if (!setting.present) continue;
        *values[axis] = ScaleAxisValue(RawAxis(device, static_cast<PadAxis>(axis)), setting.minimum, setting.maximum,
                                       setting.deadZone);
    }
    if (device->controller) {
        for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX && button < 32; ++button) {
            if (SDL_GameControllerGetButton(device->controller, static_cast<SDL_GameControllerButton>(button)))
                out->buttons[button] = 0x80;
        }
        // The triggers follow the buttons, held past half their travel.
        const int trigger = SDL_CONTROLLER_BUTTON_MAX;
        if (SDL_GameControllerGetAxis(device->controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > 16384)
            out->buttons[trigger] = 0x80;
        if (SDL_GameControllerGetAxis(device->controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > 16384)
            out->buttons[trigger + 1] = 0x80;
        uint8_t hat = SDL_HAT_CENTERED;
        if (SDL_GameControllerGetButton(device->controller, SDL_CONTROLLER_BUTTON_DPAD_UP)) hat |= SDL_HAT_UP;
        if (SDL_GameControllerGetButton(device->controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) hat |= SDL_HAT_DOWN;
        if (SDL_GameControllerGetButton(device->controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) hat |= SDL_HAT_LEFT;
        if (SDL_GameControllerGetButton(device->controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) hat |= SDL_HAT_RIGHT;
        out->pov = PovOfHat(hat);
    } else {
        const int buttons = SDL_JoystickNumButtons(device->joystick);
        for (int button = 0; button < buttons && button < 32; ++button) {
            if (SDL_JoystickGetButton(device->joystick, button)) out->buttons[button] = 0x80;
        }
        out->pov = SDL_JoystickNumHats(device->joystick) > 0 ? PovOfHat(SDL_JoystickGetHat(device->joystick, 0)) : -1;
    }
    return 0;
}

int GetPadDeviceInfo(InputDevice* device, PadDeviceInfo* out)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad) return -1;
    *out = PadDeviceInfo{};
    SDL_Joystick* joystick = JoystickOf(device);
    const char* joystickName = SDL_JoystickName(joystick);
    const char* productName = device->controller ? SDL_GameControllerName(device->controller) : joystickName;
    Utf8ToCp932(joystickName ? joystickName : "", out->instanceName, sizeof out->instanceName);
    Utf8ToCp932(productName ? productName : "", out->productName, sizeof out->productName);
    out->isGameController = device->controller != nullptr;
    out->hasRumble = HasRumble(device);
    return 0;
}

int32_t PadDeviceId(int index)
{
    if (!(Devices.initialised & SDL_INIT_JOYSTICK) || index < 0 || index >= SDL_NumJoysticks()) return -1;
    return SDL_JoystickGetDeviceInstanceID(index);
}

int32_t PadIdOfDevice(InputDevice* device)
{
    return device && device->inUse && device->kind == DeviceKind::Pad ? device->instanceId : -1;
}

uint32_t PadArrivals() { return Devices.padArrivals; }

int PadDeviceAttached(InputDevice* device)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad) return 0;
    SDL_Joystick* joystick = JoystickOf(device);
    return joystick && SDL_JoystickGetAttached(joystick) == SDL_TRUE ? 1 : 0;
}

int ReadPadLayout(InputDevice* device, PadLayoutState* out)
{
    *out = PadLayoutState{};
    if (!device || !device->inUse || device->kind != DeviceKind::Pad || !device->controller) return -1;
    SDL_GameController* pad = device->controller;
    SDL_GameControllerUpdate();
    struct ButtonRow {
        SDL_GameControllerButton button;
        uint32_t bit;
    };
    static constexpr ButtonRow kButtons[] = {
        {SDL_CONTROLLER_BUTTON_A, PAD_SOUTH},
        {SDL_CONTROLLER_BUTTON_B, PAD_EAST},
        {SDL_CONTROLLER_BUTTON_X, PAD_WEST},
        {SDL_CONTROLLER_BUTTON_Y, PAD_NORTH},
        {SDL_CONTROLLER_BUTTON_BACK, PAD_BACK},
        {SDL_CONTROLLER_BUTTON_GUIDE, PAD_GUIDE},
        {SDL_CONTROLLER_BUTTON_START, PAD_START},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, PAD_LEFT_STICK},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PAD_RIGHT_STICK},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PAD_LEFT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_RIGHT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_RIGHT},
    };
    for (const ButtonRow& row : kButtons) {
        if (SDL_GameControllerGetButton(pad, row.button)) out->buttons |= row.bit;
    }
    out->leftX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    out->leftY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    out->rightX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX);
    out->rightY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY);
    out->leftTrigger = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    out->rightTrigger = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    return 0;
}

PadEffect* CreatePadEffect(InputDevice* device, const PadEffectParams& params)
{
    if (!device || !device->inUse || device->kind != DeviceKind::Pad || !HasRumble(device)) return nullptr;
    if (Fault(kFaultPadEffect)) return nullptr;
    for (PadEffect& effect : device->effects) {
        if (effect.inUse) continue;
        effect = PadEffect{1, device, params, 0, 0};
        return &effect;
    }
    return nullptr;
}

int StartPadEffect(PadEffect* effect)
{
    if (!effect || !effect->inUse) return -1;
    effect->playing = 1;
    effect->startTime = SystemMilliseconds();
    PlayDevice(effect->device, effect->startTime);
    return 0;
}

int StopPadEffect(PadEffect* effect)
{
    if (!effect || !effect->inUse) return -1;
    effect->playing = 0;
    PlayDevice(effect->device, SystemMilliseconds());
    return 0;
}

int SetPadEffectMagnitude(PadEffect* effect, int32_t magnitude)
{
    if (!effect || !effect->inUse || magnitude < 0 || magnitude > 10000) return -1;
    effect->params.magnitude = magnitude;
    if (effect->playing) PlayDevice(effect->device, SystemMilliseconds());
    return 0;
}

void ReleasePadEffect(PadEffect* effect)
{
    if (!effect || !effect->inUse) return;
    if (effect->playing) StopPadEffect(effect);
    *effect = PadEffect{};
}

void PlayPadEffects()
{
    const uint32_t now = SystemMilliseconds();
    for (InputDevice& device : Devices.devices) {
        if (device.inUse && device.kind == DeviceKind::Pad) PlayDevice(&device, now);
    }
}

void SetInputFaultsForTest(uint32_t faults) { Devices.faults = faults; }

}  // namespace ror
