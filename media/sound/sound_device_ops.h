// The sound device's state and the table of device operations it runs through.
// The table normally holds the platform's output; tests put their own rows in to see
// each failure path and to make the device report other capabilities.
#pragma once
#include <cstdint>

#include "platform/audio/audio_device.h"

namespace ror {

struct SoundDeviceOps {
    int (*createDevice)();      // the driver brought up
    int (*initializeDevice)();  // the default output opened
    int (*setPriorityLevel)();
    int (*createPrimary)();
    int (*readCapabilities)(AudioCapabilities* capabilities);
    int (*setPrimaryFormat)(const AudioFormat& format);
    void (*releasePrimary)();
    void (*releaseDevice)();

    int16_t* (*createSilence)(int32_t bytes);
    void* (*lockSilence)(int16_t* buffer, int32_t bytes);
    void (*unlockSilence)(int16_t* buffer);
    // The mixer run by the output's callback; it writes silence while nothing plays.
    int (*startMixer)(int32_t* outputRate);
    void (*stopMixer)();
    void (*releaseSilence)(int16_t* buffer);

    // The device list of the report: the driver list, the lister, the names.
    int (*loadDeviceList)();
    int (*findDeviceLister)();
    void (*listDevices)(void (*each)(const char* module, const char* description));
    void (*unloadDeviceList)();
};

// The platform's rows.
extern const SoundDeviceOps PlatformSoundDeviceOps;

struct SoundDeviceState {
    int device;                 // 1 while the device is set up
    int primary;                // 1 while the primary output exists
    int16_t* silence;           // the cleared silence block, or null
    AudioFormat primaryFormat;  // the format chosen for the primary output
    const SoundDeviceOps* ops;  // null: the platform's rows
};

extern SoundDeviceState SoundState;

}  // namespace ror
