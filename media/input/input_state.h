// The input layer's one state record: the input system, the keyboard and mouse devices, the
// key state table and the joypads.
#pragma once
#include "platform/system/event.h"

#include <cstdint>

namespace ror {

struct InputDevice;
struct PadEffect;

constexpr int kMaxJoypads = 16;

struct JoypadRecord {
    InputDevice* device;
    PadEffect* constantEffect;
    PadEffect* periodicEffect;
    ManualResetEvent* changeEvent;
    int32_t vibrating;        // a vibration is requested
    int32_t power;            // 0..10000; 10000 after set-up and after a stop
    int32_t duration;         // milliseconds; negative = without limit
    int32_t elapsed;          // milliseconds the vibration has run
    int32_t lastTime;         // milliseconds of the last timer step
    int32_t constantApplied;  // the constant-force effect is started
    int32_t periodicApplied;  // the periodic effect is started
    char instanceName[260];
    char productName[260];
    int32_t deviceId;  // the window system's identity of the pad
};

// What directInput holds: nothing (input not set up), the input system, or the marker of
// input on the window system's key state alone.
enum class InputObject : int32_t { None = 0, Devices = 1, WindowSystem = -1 };

struct InputStateRecord {
    int32_t windowSystemInput;  // kept across set-ups: no input system could be had
    int32_t version8;
    InputObject directInput;
    InputDevice* mouse;
    InputDevice* keyboard;
    ManualResetEvent* keyboardEvent;
    uint32_t lastRefresh;  // millisecond time of the last key-state refresh
    uint8_t keyState[256];
    int32_t padCount;  // records in use: a removed pad leaves an empty record below it
    JoypadRecord pads[kMaxJoypads];
    uint32_t padArrivals;  // PadArrivals() when the pads were last looked for
    int32_t lastPadId;     // the highest pad identity looked at; newer ones are new pads
};

extern InputStateRecord InputState;

// Settings made before start-up.
struct InputSettingsRecord {
    int32_t devicesOff;  // input runs on the window system's key state alone
};

extern InputSettingsRecord InputSettings;

// The manual-reset events the devices signal: the keyboard's, and one per pad record.
ManualResetEvent* KeyboardChangeEvent();
ManualResetEvent* PadChangeEvent(int pad);

}  // namespace ror
