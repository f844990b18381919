// Playing sounds: voices started, stopped and changed from the main thread.
#include <algorithm>

#include "core/app_log.h"
#include "platform/audio/audio_device.h"
#include "platform/system/clock.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "core/last_failure.h"
#include "sound/sound_plays.h"
#include "sound/sound_resampler.h"

namespace ror {

namespace {

// A free voice, else the one that gives way: the oldest voice that plays once, and when
// every voice loops, the oldest of all. Called under the output's lock.
int32_t ChooseVoice()
{
    int32_t oldestOnce = -1;
    int32_t oldest = 0;
    for (int32_t index = 0; index < kVoiceLimit; ++index) {
        const Voice& voice = SoundMixer.voices[index];
        if (!voice.playing) return index;
        // Serials grow by one per play; the difference orders them across a wrap.
        const uint32_t age = SoundMixer.nextSerial - voice.serial;
        if (age > SoundMixer.nextSerial - SoundMixer.voices[oldest].serial) oldest = index;
        if (!voice.loop && (oldestOnce < 0 || age > SoundMixer.nextSerial - SoundMixer.voices[oldestOnce].serial))
            oldestOnce = index;
    }
    return oldestOnce >= 0 ? oldestOnce : oldest;
}

int32_t PlaybackRate(const SoundRecord& sound) { return sound.frequency > 0 ? sound.frequency : sound.format.rate; }

bool VoicePlays(int32_t index, uint32_t serial)
{
    LockAudioOutput();
    const Voice& voice = SoundMixer.voices[index];
    const bool plays = voice.playing && voice.serial == serial;
    UnlockAudioOutput();
    return plays;
}

// Applies `change` to every voice of the sound, under the output's lock.
template <typename Change>
void ChangeVoices(int32_t handle, Change change)
{
    LockAudioOutput();
    for (int32_t index = 0; index < kVoiceLimit; ++index) {
        Voice& voice = SoundMixer.voices[index];
        if (voice.playing && voice.owner == handle) change(voice);
    }
    UnlockAudioOutput();
}

// The sound's volume and pan, for every play of it: the pan in the gains, the volume as
// the level (which ends a fade the play had).
void ApplyGains(int32_t handle, const SoundRecord& sound)
{
    float left = 0, right = 0;
    VoiceGains(255, sound.pan, &left, &right);
    const float level = VoiceLevel(sound.volume);
    ChangeVoices(handle, [&](Voice& voice) {
        voice.gainLeft = left;
        voice.gainRight = right;
        SetVoiceFade(voice, 0, level, false);
    });
}

}  // namespace

}  // namespace ror

using namespace ror;

// A failure names the operation the game called.
static int StartSoundFor(const char* operation, int handle, int mode)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(operation, handle);
    if (mode != SOUND_PLAY_BACK && mode != SOUND_PLAY_LOOP && mode != SOUND_PLAY_WAIT) return FailedArgument(operation);
    if (SoundMixer.outputRate <= 0) return LogWrite("サウンドデバイスが動いていないので再生できません\n");
    ReleaseEndedStreams();
    const int32_t loop = mode == SOUND_PLAY_LOOP ? 1 : 0;
    SoundStream* stream = nullptr;
    if (sound->samples == nullptr) {
        if (sound->shared == nullptr) sound->shared = OpenSharedFrames(sound->format);
        stream = OpenSoundStream(sound->source, loop, sound->startFrame, sound->shared);
        if (stream == nullptr) return -1;
    }
    Voice fresh{};
    fresh.playing = 1;
    fresh.owner = handle;
    fresh.loop = loop;
    fresh.channels = sound->format.channels;
    fresh.samples = sound->samples;
    fresh.frameCount = sound->format.frames;
    fresh.stream = stream;
    fresh.position =
        stream != nullptr ? 0 : uint64_t(std::clamp<int64_t>(sound->startFrame, 0, sound->format.frames)) << 32;
    if (AttachVoiceFilter(fresh, PlaybackRate(*sound)) != 0) {
        CloseSoundStream(stream);
        return -1;
    }
    VoiceGains(255, sound->pan, &fresh.gainLeft, &fresh.gainRight);
    fresh.fade = VoiceLevel(sound->volume);

    LockAudioOutput();
    const int32_t index = ChooseVoice();
    Voice& voice = SoundMixer.voices[index];
    EndPlayOfVoice(voice, voice.playing ? PLAY_STATE_STOLEN : PLAY_STATE_ENDED);
    SoundStream* displaced = voice.stream;
    VoiceFilter* displacedFilter = voice.filter;
    fresh.serial = SoundMixer.nextSerial++;
    fresh.play = NewPlayRecord(index, fresh) + 1;
    voice = fresh;
    UnlockAudioOutput();
    CloseSoundStream(displaced);
    CloseVoiceFilter(displacedFilter);

    if (mode == SOUND_PLAY_WAIT) {
        // The window stays responsive while the sound plays; closing it ends the wait.
        while (VoicePlays(index, fresh.serial)) {
            if (PumpMessages() != 0) break;
            SystemSleep(1);
        }
    }
    return Plays.records[fresh.play - 1].header.handle;
}

int StartSound(int handle, int mode) { return StartSoundFor(__func__, handle, mode); }

int PlaySound(int handle, int mode) { return StartSoundFor(__func__, handle, mode) < 0 ? -1 : 0; }

int StopSound(int handle)
{
    if (ResolveSound(handle) == nullptr) return FailedHandle(__func__, handle);
    StopVoicesOf(handle);
    return 0;
}

int IsSoundPlaying(int handle)
{
    if (ResolveSound(handle) == nullptr) return FailedHandle(__func__, handle);
    bool playing = false;
    ChangeVoices(handle, [&](Voice&) { playing = true; });
    return playing ? 1 : 0;
}

int SetSoundVolume(int handle, int volume)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    if (volume < 0 || volume > 255) return FailedArgument(__func__);
    sound->volume = volume;
    ApplyGains(handle, *sound);
    return 0;
}

int SetSoundPan(int handle, int pan)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    if (pan < -255 || pan > 255) return FailedArgument(__func__);
    sound->pan = pan;
    ApplyGains(handle, *sound);
    return 0;
}

int SetSoundFrequency(int handle, int frequency)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    if (frequency != 0 && (frequency < kMinSoundRate || frequency > kMaxSoundRate)) return FailedArgument(__func__);
    sound->frequency = frequency;
    const int32_t rate = PlaybackRate(*sound);
    ChangeVoices(handle, [&](Voice& voice) { SetVoiceRate(voice, rate); });
    return 0;
}

int SetSoundPosition(int handle, int64_t frame)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    if (frame < 0 || frame > sound->format.frames) return FailedArgument(__func__);
    sound->startFrame = frame;
    ChangeVoices(handle, [&](Voice& voice) {
        if (voice.stream != nullptr) return;
        voice.position = uint64_t(frame) << 32;
        RestartVoiceFilter(voice, uint64_t(frame));
    });
    return 0;
}

int64_t GetSoundPosition(int handle)
{
    const SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    int64_t position = -1;
    uint32_t newest = 0;
    ChangeVoices(handle, [&](Voice& voice) {
        const uint32_t age = SoundMixer.nextSerial - voice.serial;
        if (position >= 0 && age >= newest) return;
        newest = age;
        position = int64_t(voice.position >> 32);
        if (voice.stream != nullptr) position += sound->startFrame;
    });
    if (position < 0) return sound->startFrame;
    const int64_t frames = sound->format.frames;
    return frames > 0 && position >= frames ? position % frames : position;
}
