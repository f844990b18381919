#include "platform/audio/audio_device.h"
#include "platform/system/service_faults.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

constexpr char kDummyDriver[] = "dummy";
constexpr Uint16 kCallbackFrames = 1024;

// An ordinary stereo 16-bit output: what the layer assumes where the driver tells nothing.
constexpr AudioCapabilities kOrdinaryOutput = {kAudioPrimaryMono | kAudioPrimaryStereo | kAudioPrimary8Bit |
                                                   kAudioPrimary16Bit | kAudioSecondaryMono | kAudioSecondaryStereo |
                                                   kAudioSecondary8Bit | kAudioSecondary16Bit,
                                               8000, 48000, 0, 0};

struct AudioDeviceState {
    bool driverUp;
    SDL_AudioDeviceID output;  // 0 when no output is open
    SDL_AudioSpec spec;        // the format the output runs with

    // The mixer; the callback reads these under the device's lock.
    AudioMixer mixer;
    int64_t framesMixed;
};

AudioDeviceState Audio;

// Stereo 16-bit frames for outputs that take another format; static, so the callback
// never allocates.
constexpr int32_t kConvertFrames = 1024;
int16_t ConvertFrames[2 * kConvertFrames];

// Runs the mixer for one callback buffer, straight into it for a stereo 16-bit output,
// else through ConvertFrames, folded to mono and narrowed to unsigned 8 bits as needed.
void FillOutput(void*, Uint8* stream, int length)
{
    const int channels = Audio.spec.channels;
    const bool eightBit = SDL_AUDIO_BITSIZE(Audio.spec.format) == 8;
    const int bytesPerFrame = channels * (eightBit ? 1 : 2);
    const int frames = length / bytesPerFrame;
    std::memset(stream, Audio.spec.silence, size_t(length));
    Audio.framesMixed += frames;
    if (Audio.mixer == nullptr) return;
    if (channels == 2 && !eightBit) {
        Audio.mixer(reinterpret_cast<int16_t*>(stream), frames);
    } else {
        for (int done = 0; done < frames;) {
            const int count = std::min(frames - done, int(kConvertFrames));
            Audio.mixer(ConvertFrames, count);
            for (int frame = 0; frame < count; ++frame) {
                int32_t samples[2] = {ConvertFrames[2 * frame], ConvertFrames[2 * frame + 1]};
                if (channels == 1) samples[0] = (samples[0] + samples[1]) / 2;
                for (int c = 0; c < channels; ++c) {
                    if (eightBit) {
                        *stream++ = Uint8((samples[c] >> 8) + 128);
                    } else {
                        const int16_t value = int16_t(samples[c]);
                        std::memcpy(stream, &value, 2);
                        stream += 2;
                    }
                }
            }
            done += count;
        }
    }
}

int StartDummyDriver()
{
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, kDummyDriver, SDL_HINT_OVERRIDE);
    const int result = SDL_InitSubSystem(SDL_INIT_AUDIO);
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return result == 0 ? 0 : -1;
}

bool DummyDriverInUse()
{
    const char* name = SDL_GetCurrentAudioDriver();
    return name != nullptr && std::strcmp(name, kDummyDriver) == 0;
}

SDL_AudioDeviceID OpenDefaultOutput(const AudioFormat& format, SDL_AudioSpec* obtained)
{
    SDL_AudioSpec wanted{};
    wanted.freq = format.rate;
    wanted.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    wanted.channels = Uint8(format.channels);
    wanted.samples = kCallbackFrames;
    wanted.callback = FillOutput;
    // No changes allowed: SDL converts to whatever the hardware takes.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained, 0);
}

void DeriveCapabilities(const SDL_AudioSpec& spec, AudioCapabilities* capabilities)
{
    uint32_t flags = kAudioPrimaryMono | kAudioSecondaryMono | kAudioPrimary8Bit | kAudioSecondary8Bit;
    if (spec.channels >= 2) flags |= kAudioPrimaryStereo | kAudioSecondaryStereo;
    if (SDL_AUDIO_BITSIZE(spec.format) >= 16) flags |= kAudioPrimary16Bit | kAudioSecondary16Bit;
    capabilities->flags = flags;
    capabilities->maxSecondaryRate = uint32_t(spec.freq);
    capabilities->minSecondaryRate = std::min<uint32_t>(kOrdinaryOutput.minSecondaryRate, uint32_t(spec.freq));
}

bool UsableFormat(const AudioFormat& format)
{
    return format.channels >= 1 && format.channels <= 2 && format.rate > 0 && (format.bits == 8 || format.bits == 16);
}

int TakeOutput(SDL_AudioDeviceID output, const SDL_AudioSpec& obtained)
{
    if (output == 0) return -1;
    if (obtained.freq <= 0) {
        SDL_CloseAudioDevice(output);
        return -1;
    }
    Audio.output = output;
    Audio.spec = obtained;
    Audio.framesMixed = 0;
    SDL_PauseAudioDevice(output, 0);
    return 0;
}

}  // namespace

int StartAudioDriver()
{
    if (Audio.driverUp) return 0;
    if (ServiceCallFails(PlatformService::AudioDevice)) return -1;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 && StartDummyDriver() != 0) return -1;
    Audio.driverUp = true;
    return 0;
}

void StopAudioDriver()
{
    if (!Audio.driverUp) return;
    CloseAudioOutput();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    Audio = AudioDeviceState{};
}

const char* CurrentAudioDriver() { return Audio.driverUp ? SDL_GetCurrentAudioDriver() : nullptr; }

int OpenAudioOutput(const AudioFormat& format)
{
    if (!Audio.driverUp || !UsableFormat(format) || ServiceCallFails(PlatformService::AudioDevice)) return -1;
    CloseAudioOutput();
    SDL_AudioSpec obtained{};
    SDL_AudioDeviceID output = OpenDefaultOutput(format, &obtained);
    if (output == 0 && !DummyDriverInUse()) {
        // A driver that starts but has no device to open (ALSA without a card):
        // the game must not lose its start-up for want of sound.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (StartDummyDriver() != 0) {
            Audio.driverUp = false;
            return -1;
        }
        output = OpenDefaultOutput(format, &obtained);
    }
    return TakeOutput(output, obtained);
}

int ReopenAudioOutput(const AudioFormat& format)
{
    if (!Audio.driverUp || !UsableFormat(format)) return -1;
    CloseAudioOutput();
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID output = OpenDefaultOutput(format, &obtained);
    return TakeOutput(output, obtained);
}

int ReadAudioOutputFormat(AudioFormat* format)
{
    if (Audio.output == 0) return -1;
    format->channels = Audio.spec.channels;
    format->rate = Audio.spec.freq;
    format->bits = SDL_AUDIO_BITSIZE(Audio.spec.format);
    return 0;
}

int32_t AudioOutputBufferFrames() { return Audio.output != 0 ? int32_t(Audio.spec.samples) : 0; }

void CloseAudioOutput()
{
    if (Audio.output == 0) return;
    SDL_CloseAudioDevice(Audio.output);  // waits for a running callback
    Audio.output = 0;
    Audio.spec = SDL_AudioSpec{};
    Audio.mixer = nullptr;
}

int ReadAudioCapabilities(AudioCapabilities* capabilities)
{
    if (!Audio.driverUp) return -1;
    *capabilities = kOrdinaryOutput;
    SDL_AudioSpec spec{};
    char* name = nullptr;
    if (SDL_GetDefaultAudioInfo(&name, &spec, 0) == 0) {
        SDL_free(name);
        if (spec.freq > 0) DeriveCapabilities(spec, capabilities);
    } else if (SDL_GetNumAudioDevices(0) > 0 && SDL_GetAudioDeviceSpec(0, 0, &spec) == 0 && spec.freq > 0) {
        DeriveCapabilities(spec, capabilities);
    }
    return 0;
}

int AudioDriverCount() { return std::max(0, SDL_GetNumAudioDrivers()); }

const char* AudioDriverName(int index) { return SDL_GetAudioDriver(index); }

int AudioOutputCount() { return Audio.driverUp ? std::max(0, SDL_GetNumAudioDevices(0)) : 0; }

const char* AudioOutputName(int index) { return Audio.driverUp ? SDL_GetAudioDeviceName(index, 0) : nullptr; }

int StartAudioMixer(AudioMixer mixer)
{
    if (Audio.output == 0 || mixer == nullptr) return -1;
    SDL_LockAudioDevice(Audio.output);
    Audio.mixer = mixer;
    SDL_UnlockAudioDevice(Audio.output);
    return 0;
}

void StopAudioMixer()
{
    if (Audio.output == 0) return;
    SDL_LockAudioDevice(Audio.output);
    Audio.mixer = nullptr;
    SDL_UnlockAudioDevice(Audio.output);
}

int64_t AudioFramesMixed()
{
    if (Audio.output == 0) return 0;
    SDL_LockAudioDevice(Audio.output);
    const int64_t mixed = Audio.framesMixed;
    SDL_UnlockAudioDevice(Audio.output);
    return mixed;
}

void LockAudioOutput()
{
    if (Audio.output != 0) SDL_LockAudioDevice(Audio.output);
}

void UnlockAudioOutput()
{
    if (Audio.output != 0) SDL_UnlockAudioDevice(Audio.output);
}

}  // namespace ror
