// The mixer: the voices that play, and the mixing that the device's callback runs. The main
// thread changes voices only while it holds the output's lock (LockAudioOutput).
#pragma once
#include <cstdint>

namespace ror {

struct SoundStream;
struct VoiceFilter;

// Voices that play sounds at once; the music has one more of its own.
constexpr int32_t kVoiceLimit = 64;
constexpr int32_t kMusicVoice = kVoiceLimit;

struct Voice {
    int32_t playing;  // cleared by the mixer when a voice ends
    int32_t paused;
    int32_t owner;    // the handle of the sound or music piece
    uint32_t serial;  // start order: the oldest voice gives way first
    int32_t loop;
    int32_t channels;
    const int16_t* samples;  // decoded sound, frameCount frames
    int64_t frameCount;
    SoundStream* stream;  // or a streamed one
    uint64_t position;    // source frames, 32.32 fixed point (ring frames for a stream)
    uint64_t step;        // source frames per output frame, 32.32 fixed point
    float gainLeft;
    float gainRight;
    float fade;  // multiplies both gains
    float fadeTarget;
    float fadeStep;  // per output frame; 0 when no fade runs
    int32_t stopAtFadeEnd;
    int64_t limit;        // output frames it may still sound; 0: no limit
    int32_t play;         // slot of its play record + 1; 0 for none (the music)
    VoiceFilter* filter;  // its band-limited resampler, or null for linear interpolation
    uint64_t fed;         // source frames the filter has taken (ring frames for a stream); it
                          // runs ahead of `position`, which stays the frame heard
    int32_t tail;         // frames of silence the filter still takes after the sound's end
};

struct SoundMixerState {
    Voice voices[kVoiceLimit + 1];
    uint32_t nextSerial;
    int32_t outputRate;  // frames per second of the open output; 0 when none
    int64_t underruns;   // times a stream's ring ran dry before its end
};

extern SoundMixerState SoundMixer;

// The device callback's mixer: every playing voice added into 16-bit stereo with clipping.
void MixSounds(int16_t* stereoFrames, int32_t frameCount);

// The 32.32 step for a source rate at the output's rate.
uint64_t VoiceStep(int32_t sourceRate);
// The voice's step and its filter's rate for a source rate. Under the output's lock.
void SetVoiceRate(Voice& voice, int32_t sourceRate);
// The voice's filter starts afresh at `frame` (the voice moved there). Under the output's lock.
void RestartVoiceFilter(Voice& voice, uint64_t frame);
// The resampler for a new voice as the setting asks (none for linear interpolation): 0, or
// -1 logged when it cannot be made. Main thread, outside the output's lock.
int AttachVoiceFilter(Voice& voice, int32_t sourceRate);
// Left and right gains of a volume 0..255 and a pan -255 (left) .. 255 (right).
void VoiceGains(int32_t volume, int32_t pan, float* left, float* right);
// A volume 0..255 as the voice's fade level (its volume rides on the fade, the pan on the
// gains).
float VoiceLevel(int32_t volume);
// Output frames of `milliseconds` at the output's rate.
int64_t FramesOf(int32_t milliseconds);
// Moves the voice's level to `target` over `frames` output frames (at once for 0), ending
// the voice on arrival when `stopAtEnd`. Under the output's lock.
void SetVoiceFade(Voice& voice, int64_t frames, float target, bool stopAtEnd);

}  // namespace ror
