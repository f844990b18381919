#include "sound/sound_device_ops.h"

#include "core/tracked_memory.h"
#include "sound/sound_mixer.h"

namespace ror {

namespace {

// The default output is opened as stereo 16-bit at 44100 Hz until the capabilities choose
// the primary format.
constexpr AudioFormat kInitialFormat = {2, 44100, 16};

int OpenDefaultOutput() { return OpenAudioOutput(kInitialFormat); }

// Nothing to claim: the output belongs to this process once it is open.
int SetPriorityLevel() { return 0; }

// The open default output is the primary output.
int CheckPrimary()
{
    AudioFormat format{};
    return ReadAudioOutputFormat(&format);
}

int SetPrimaryFormat(const AudioFormat& format)
{
    AudioFormat current{};
    if (ReadAudioOutputFormat(&current) != 0) return -1;
    if (current.channels == format.channels && current.rate == format.rate && current.bits == format.bits) return 0;
    if (ReopenAudioOutput(format) == 0) return 0;
    ReopenAudioOutput(current);  // keep the device running in the format it had
    return -1;
}

int16_t* CreateSilence(int32_t bytes) { return static_cast<int16_t*>(TrackedAlloc(bytes, __FILE__, __LINE__)); }

void* LockSilence(int16_t* buffer, int32_t) { return buffer; }

void UnlockSilence(int16_t*) {}

int StartMixer(int32_t* outputRate)
{
    AudioFormat format{};
    if (ReadAudioOutputFormat(&format) != 0) return -1;
    *outputRate = format.rate;
    return StartAudioMixer(MixSounds);
}

void ReleaseSilence(int16_t* buffer) { TrackedFree(buffer); }

int LoadDeviceList() { return AudioDriverCount() > 0 ? 0 : -1; }

int FindDeviceLister() { return CurrentAudioDriver() != nullptr ? 0 : -1; }

void ListDevices(void (*each)(const char* module, const char* description))
{
    const char* driver = CurrentAudioDriver();
    const int count = AudioOutputCount();
    for (int index = 0; index < count; ++index) {
        const char* name = AudioOutputName(index);
        each(driver, name != nullptr ? name : "");
    }
}

void UnloadDeviceList() {}

}  // namespace

const SoundDeviceOps PlatformSoundDeviceOps = {
    .createDevice = StartAudioDriver,
    .initializeDevice = OpenDefaultOutput,
    .setPriorityLevel = SetPriorityLevel,
    .createPrimary = CheckPrimary,
    .readCapabilities = ReadAudioCapabilities,
    .setPrimaryFormat = SetPrimaryFormat,
    .releasePrimary = CloseAudioOutput,
    .releaseDevice = StopAudioDriver,
    .createSilence = CreateSilence,
    .lockSilence = LockSilence,
    .unlockSilence = UnlockSilence,
    .startMixer = StartMixer,
    .stopMixer = StopAudioMixer,
    .releaseSilence = ReleaseSilence,
    .loadDeviceList = LoadDeviceList,
    .findDeviceLister = FindDeviceLister,
    .listDevices = ListDevices,
    .unloadDeviceList = UnloadDeviceList,
};

}  // namespace ror
