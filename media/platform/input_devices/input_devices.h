// The input devices over SDL's events, keyboard, mouse, joystick and game-controller
// subsystems, in the operations and results the input layer expects of a device: create,
// data format, cooperative level, properties, change event, acquire, read, release, and
// force-feedback effects played through the pads' rumble motors.
#pragma once
#include "platform/system/event.h"
#include "platform/window_system/messages.h"
#include "rorodiv.h"

#include <cstdint>

namespace ror {

// The result an input system that is missing or refused reports.
constexpr uint32_t kInputSystemMissing = 0x80040154;

// The input system. Version 7: events, joysticks and game controllers; version 8: events
// and joysticks only (every pad reads as a plain joystick). Obtaining gives 0 or a result
// code; initialising 0 / -1. Release undoes whichever of the two ran.
uint32_t ObtainInputSystem(int version);
int InitializeInputSystem(int version);
void ReleaseInputSystem();
// The joysticks the system reports without an input system of the layer's own (0-16).
int CountSystemJoysticks();

// Cooperative levels.
constexpr uint32_t kCooperativeExclusive = 1, kCooperativeNonExclusive = 2, kCooperativeForeground = 4,
                   kCooperativeBackground = 8;

struct InputDevice;  // a keyboard, mouse or pad, from a fixed pool

InputDevice* CreateKeyboardDevice();
InputDevice* CreateMouseDevice();
// The pad at an index of EnumeratePadDevices (0 .. count-1).
InputDevice* CreatePadDevice(int index);
void ReleaseDevice(InputDevice* device);

// Each 0 / -1. A data format is the device's own (256 key bytes, MouseDeviceState,
// PadDeviceState); a pad without any axis or button has none.
int SetDataFormat(InputDevice* device);
int SetCooperativeLevel(InputDevice* device, WindowHandle window, uint32_t level);
int SetBufferSize(InputDevice* device, int32_t entries);
// Signalled whenever the device's state changes; null removes it.
int SetChangeEvent(InputDevice* device, ManualResetEvent* event);
int AcquireDevice(InputDevice* device);  // needs the data format and the cooperative level
int UnacquireDevice(InputDevice* device);

// Pad axes. A range and a dead zone (in 1/10000 of the half range around the centre) fail
// for an axis the pad lacks. Values inside the dead zone read as the centre; beyond it the
// rest of the travel is stretched over the whole half range.
enum class PadAxis { X, Y, Z, Rz };
int SetAxisRange(InputDevice* device, PadAxis axis, int32_t minimum, int32_t maximum);
int SetAxisDeadZone(InputDevice* device, PadAxis axis, int32_t deadZone);
// The axis scaling on its own: a raw SDL value (-32768..32767) into a range with a dead zone.
int32_t ScaleAxisValue(int32_t raw, int32_t minimum, int32_t maximum, int32_t deadZone);

// Device states, read only while acquired. 0 / -1.
struct MouseDeviceState {
    int32_t x, y, z;     // motion since the last read
    uint8_t buttons[8];  // left, right, middle, X1, X2; 0x80 = held
};
struct PadDeviceState {
    int32_t x, y, z, rz;  // in the ranges set; 0 for a missing axis
    int32_t pov;          // hundredths of degrees clockwise from up, -1 centred
    uint8_t buttons[32];  // 0x80 = held
};
int ReadKeyboardDevice(InputDevice* device, uint8_t keyState[256]);
int ReadMouseDevice(InputDevice* device, MouseDeviceState* out);
int ReadPadDevice(InputDevice* device, PadDeviceState* out);

// Pads attached now, in enumeration order, and what a pad says of itself (cp932 names).
int CountPadDevices();
struct PadDeviceInfo {
    char instanceName[260];
    char productName[260];
    int isGameController;
    int hasRumble;
};
int GetPadDeviceInfo(InputDevice* device, PadDeviceInfo* out);

// Pads plugged in and removed while the program runs. The window system's identity of the pad
// at an enumeration index grows with every pad attached, never reused; -1 for no such index.
int32_t PadDeviceId(int index);
int32_t PadIdOfDevice(InputDevice* device);
// How many pads were attached since the input system started (those present at its start
// included); the number only grows.
uint32_t PadArrivals();
// 1 while the pad is still plugged in, else 0.
int PadDeviceAttached(InputDevice* device);

// A pad's controls by their place on a standard pad, from the window system's mapping of the
// pad; -1 for a pad without one (read as a plain joystick).
struct PadLayoutState {
    int32_t leftX, leftY, rightX, rightY;  // raw, -32768..32767, down and right positive
    int32_t leftTrigger, rightTrigger;     // raw, 0..32767
    uint32_t buttons;                      // the public header's PAD_... bits
};
int ReadPadLayout(InputDevice* device, PadLayoutState* out);

// Force-feedback effects, played on the pad's two rumble motors. The force of a device is the
// sum of its playing effects, each signed, clipped to the magnitude 10000; both motors run
// at that strength. A periodic effect is a sine with its attack envelope; fades need an end,
// and the effects here run until stopped.
enum class PadEffectKind { ConstantForce, Sine };
struct PadEffectParams {
    PadEffectKind kind;
    int32_t magnitude;            // 0..10000
    uint32_t periodMicroseconds;  // sine only
    int32_t attackLevel;          // magnitude at the start, rising to the full one
    uint32_t attackMicroseconds;
};
struct PadEffect;
// Null when the pad has no rumble motors.
PadEffect* CreatePadEffect(InputDevice* device, const PadEffectParams& params);
int StartPadEffect(PadEffect* effect);
int StopPadEffect(PadEffect* effect);
int SetPadEffectMagnitude(PadEffect* effect, int32_t magnitude);
void ReleasePadEffect(PadEffect* effect);
// Sends each pad's current strength to its motors (a periodic effect changes with time).
void PlayPadEffects();

// Faults for tests of the paths that real hardware seldom takes. Each stays until cleared.
enum InputFault : uint32_t {
    kFaultObtain7 = 1u << 0,
    kFaultInitialize7 = 1u << 1,
    kFaultObtain8 = 1u << 2,
    kFaultInitialize8 = 1u << 3,
    kFaultCreateMouse = 1u << 4,
    kFaultMouseFormat = 1u << 5,
    kFaultMouseLevel = 1u << 6,
    kFaultCreateKeyboard = 1u << 7,
    kFaultKeyboardFormat = 1u << 8,
    kFaultKeyboardLevel = 1u << 9,
    kFaultKeyboardBufferSize = 1u << 10,
    kFaultKeyboardEvent = 1u << 11,
    kFaultKeyboardAcquire = 1u << 12,
    kFaultKeyboardRead = 1u << 13,
    kFaultMouseRead = 1u << 14,
    kFaultPadLevel = 1u << 15,
    kFaultPadEvent = 1u << 16,
    kFaultPadEffect = 1u << 17,
};
void SetInputFaultsForTest(uint32_t faults);

}  // namespace ror
