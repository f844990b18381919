// The sound output device, as the layer sees it: one driver brought up, the default
// output opened with a chosen PCM format, its capabilities, the names of drivers and
// devices, and the mixer that the device's callback runs.
#pragma once
#include <cstdint>

namespace ror {

struct AudioFormat {
    int32_t channels;  // 1 or 2
    int32_t rate;      // frames per second
    int32_t bits;      // 8 (unsigned) or 16 (signed)
};

// Capability flags, as the layer's report reads them.
enum AudioCapabilityFlag : uint32_t {
    kAudioPrimaryMono = 0x1,
    kAudioPrimaryStereo = 0x2,
    kAudioPrimary8Bit = 0x4,
    kAudioPrimary16Bit = 0x8,
    kAudioSecondaryMono = 0x100,
    kAudioSecondaryStereo = 0x200,
    kAudioSecondary8Bit = 0x400,
    kAudioSecondary16Bit = 0x800,
};

struct AudioCapabilities {
    uint32_t flags;
    uint32_t minSecondaryRate;
    uint32_t maxSecondaryRate;
    uint32_t totalHardwareBytes;
    uint32_t freeHardwareBytes;
};

// Brings the audio driver up: the one the environment names or the first that works,
// and the dummy driver when none does. 0 or -1.
int StartAudioDriver();
// Closes the output, stops the mixer and takes the driver down.
void StopAudioDriver();
// Name of the driver in use, or null when none is up.
const char* CurrentAudioDriver();

// Opens the default output with `format` (closing an output already open). When the
// driver in use cannot open it and is not the dummy driver, the dummy driver takes over.
// 0 or -1; on -1 no output is open.
int OpenAudioOutput(const AudioFormat& format);
// Opens the default output again with `format` on the driver in use. 0 or -1; on -1 no
// output is open.
int ReopenAudioOutput(const AudioFormat& format);
// The format the open output runs with. 0, or -1 when no output is open.
int ReadAudioOutputFormat(AudioFormat* format);
// Frames of one buffer the open output's callback fills; 0 when no output is open.
int32_t AudioOutputBufferFrames();
void CloseAudioOutput();

// What the default output reports; where the driver reports nothing, the values of an
// ordinary stereo 16-bit output. 0, or -1 when no driver is up.
int ReadAudioCapabilities(AudioCapabilities* capabilities);

// Driver list and the output device names of the driver in use (names stay valid until
// the driver is stopped). Counts are 0 when nothing can be listed.
int AudioDriverCount();
const char* AudioDriverName(int index);
int AudioOutputCount();
const char* AudioOutputName(int index);

// The mixer: called from the output's callback thread for every block of output, it
// writes `frameCount` 16-bit stereo frames at the output's rate (the callback folds them to
// mono or narrows them to 8 bits where the output wants it). It must neither allocate,
// log nor wait. 0, or -1 when no output is open.
using AudioMixer = void (*)(int16_t* stereoFrames, int32_t frameCount);
int StartAudioMixer(AudioMixer mixer);
void StopAudioMixer();
// Frames the callback has produced since the output opened, silence before the mixer
// started included (not what the driver plays on its own before the output is unpaused).
int64_t AudioFramesMixed();
// While held, the callback does not run: the main thread hands records over to the mixer
// under it and keeps it for a few field writes only. Nothing happens without an output.
void LockAudioOutput();
void UnlockAudioOutput();

}  // namespace ror
