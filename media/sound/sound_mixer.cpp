#include "sound/sound_mixer.h"

#include <algorithm>
#include <cstring>

#include "rorodiv.h"
#include "sound/sound_resampler.h"
#include "sound/sound_stream.h"

namespace ror {

SoundMixerState SoundMixer;

namespace {

// Frames mixed at a time; the sums are kept in floats and clipped once per frame.
constexpr int32_t kChunkFrames = 256;
constexpr float kFractionScale = 1.0f / 4294967296.0f;
constexpr uint64_t kRingMask = uint64_t(kStreamRingFrames) - 1;

float Sums[2 * kChunkFrames];
// A voice's filtered frames before they are added, and silence that flushes a filter.
int16_t Filtered[2 * kChunkFrames];
const int16_t kSilence[2 * kChunkFrames] = {};

// One frame of a voice's gains; false once a fade that stops the voice has ended.
inline bool StepFade(Voice& voice)
{
    voice.fade += voice.fadeStep;
    const bool done = voice.fadeStep > 0 ? voice.fade >= voice.fadeTarget : voice.fade <= voice.fadeTarget;
    if (!done) return true;
    voice.fade = voice.fadeTarget;
    voice.fadeStep = 0;
    return voice.stopAtFadeEnd == 0;
}

// Adds frame `a` blended towards frame `b` by `fraction` into one output frame.
inline void AddFrame(const Voice& voice, const int16_t* a, const int16_t* b, float fraction, float* sum)
{
    const float left = voice.gainLeft * voice.fade;
    const float right = voice.gainRight * voice.fade;
    if (voice.channels == 1) {
        const float value = float(a[0]) + float(b[0] - a[0]) * fraction;
        sum[0] += value * left;
        sum[1] += value * right;
    } else {
        sum[0] += (float(a[0]) + float(b[0] - a[0]) * fraction) * left;
        sum[1] += (float(a[1]) + float(b[1] - a[1]) * fraction) * right;
    }
}

// A play at the output's own rate, without a fade, falls on whole frames: no blending.
void MixWholeFrames(Voice& voice, int32_t frames)
{
    const int64_t count = voice.frameCount;
    const float left = voice.gainLeft * voice.fade;
    const float right = voice.gainRight * voice.fade;
    float* sum = Sums;
    while (frames > 0) {
        int64_t index = int64_t(voice.position >> 32);
        if (index >= count) {
            if (!voice.loop) {
                voice.playing = 0;
                return;
            }
            index %= count;
        }
        const int32_t run = int32_t(std::min<int64_t>(frames, count - index));
        if (voice.channels == 1) {
            const int16_t* source = voice.samples + index;
            for (int32_t i = 0; i < run; ++i) {
                const float value = float(source[i]);
                sum[2 * i] += value * left;
                sum[2 * i + 1] += value * right;
            }
        } else {
            const int16_t* source = voice.samples + 2 * index;
            for (int32_t i = 0; i < run; ++i) {
                sum[2 * i] += float(source[2 * i]) * left;
                sum[2 * i + 1] += float(source[2 * i + 1]) * right;
            }
        }
        voice.position = uint64_t(index + run) << 32;
        sum += 2 * run;
        frames -= run;
    }
}

// Adds up to `frames` frames of the voice's filter, fed by `input`: it gives the source's
// next contiguous frames from the voice's `fed` frame on and their count, 0 at the end and -1
// when a stream has run dry. After the end the filter takes its tail of silence, then the
// voice ends. The heard position moves a step per frame made, as with linear interpolation;
// `wrap` (0: none) keeps it inside a looped sound.
template <typename Input>
void MixFiltered(Voice& voice, int32_t frames, uint64_t wrap, Input input)
{
    const int32_t channels = voice.channels;
    int32_t made = 0;
    while (made < frames) {
        int64_t available = 0;
        const int16_t* in = input(&available);
        if (available < 0) break;
        const bool flushing = available == 0;
        if (flushing) {
            if (voice.tail <= 0) {
                voice.playing = 0;
                break;
            }
            in = kSilence;
            available = std::min(voice.tail, kChunkFrames);
        }
        uint32_t taken = uint32_t(std::min<int64_t>(available, int64_t(1) << 30));
        const int32_t got =
            RunVoiceFilter(voice.filter, in, &taken, Filtered + made * channels, uint32_t(frames - made));
        if (flushing)
            voice.tail -= int32_t(taken);
        else
            voice.fed += taken;
        if (got == 0 && taken == 0) break;
        made += got;
    }
    for (int32_t frame = 0; frame < made; ++frame) {
        const int16_t* a = Filtered + frame * channels;
        AddFrame(voice, a, a, 0.0f, Sums + 2 * frame);
        voice.position += voice.step;
        if (wrap != 0 && voice.position >= wrap) voice.position %= wrap;
        if (voice.fadeStep != 0 && !StepFade(voice)) {
            voice.playing = 0;
            break;
        }
    }
}

bool Filtering(const Voice& voice) { return voice.filter != nullptr && voice.step != uint64_t(1) << 32; }

void MixDecoded(Voice& voice, int32_t frames)
{
    const int64_t count = voice.frameCount;
    if (count <= 0) {
        voice.playing = 0;
        return;
    }
    if (voice.step == uint64_t(1) << 32 && voice.fadeStep == 0 && uint32_t(voice.position) == 0) {
        MixWholeFrames(voice, frames);
        return;
    }
    const uint64_t length = uint64_t(count) << 32;
    if (Filtering(voice)) {
        MixFiltered(voice, frames, voice.loop ? length : 0, [&](int64_t* available) -> const int16_t* {
            if (voice.fed >= uint64_t(count)) {
                if (!voice.loop) return *available = 0, nullptr;
                voice.fed %= uint64_t(count);
            }
            *available = count - int64_t(voice.fed);
            return voice.samples + int64_t(voice.fed) * voice.channels;
        });
        return;
    }
    const int32_t channels = voice.channels;
    for (int32_t frame = 0; frame < frames; ++frame) {
        if (voice.position >= length) {
            if (!voice.loop) {
                voice.playing = 0;
                return;
            }
            voice.position %= length;
        }
        const int64_t index = int64_t(voice.position >> 32);
        const int64_t next = index + 1 < count ? index + 1 : (voice.loop ? 0 : index);
        const float fraction = float(uint32_t(voice.position)) * kFractionScale;
        AddFrame(voice, voice.samples + index * channels, voice.samples + next * channels, fraction, Sums + 2 * frame);
        voice.position += voice.step;
        if (voice.fadeStep != 0 && !StepFade(voice)) {
            voice.playing = 0;
            return;
        }
    }
}

// A streamed voice reads the ring up to what the main thread has written; when the ring
// runs dry before the end the voice waits, silent, for the next fill.
void MixStreamed(Voice& voice, int32_t frames)
{
    SoundStream& stream = *voice.stream;
    const bool finished = stream.finished.load(std::memory_order_acquire) != 0;
    const uint64_t written = stream.written.load(std::memory_order_acquire);
    const int32_t channels = voice.channels;
    if (Filtering(voice)) {
        MixFiltered(voice, frames, 0, [&](int64_t* available) -> const int16_t* {
            const uint64_t index = voice.fed;
            if (index >= written) {
                if (!finished) ++SoundMixer.underruns;
                return *available = finished ? 0 : -1, nullptr;
            }
            const uint64_t offset = index & kRingMask;
            *available = int64_t(std::min(written - index, uint64_t(kStreamRingFrames) - offset));
            return stream.ring + offset * channels;
        });
        stream.consumed.store(std::min<uint64_t>(voice.position >> 32, written), std::memory_order_release);
        return;
    }
    for (int32_t frame = 0; frame < frames; ++frame) {
        const uint64_t index = voice.position >> 32;
        uint64_t next = index + 1;
        if (next >= written) {
            if (!finished) {
                ++SoundMixer.underruns;
                break;
            }
            if (index >= written) {
                voice.playing = 0;
                break;
            }
            next = index;
        }
        const float fraction = float(uint32_t(voice.position)) * kFractionScale;
        AddFrame(voice, stream.ring + (index & kRingMask) * channels, stream.ring + (next & kRingMask) * channels,
                 fraction, Sums + 2 * frame);
        voice.position += voice.step;
        if (voice.fadeStep != 0 && !StepFade(voice)) {
            voice.playing = 0;
            break;
        }
    }
    stream.consumed.store(std::min<uint64_t>(voice.position >> 32, written), std::memory_order_release);
}

inline int16_t Clip(float value)
{
    const float clipped = std::clamp(value, -32768.0f, 32767.0f);
    return int16_t(clipped + (clipped >= 0 ? 0.5f : -0.5f));
}

}  // namespace

void MixSounds(int16_t* stereoFrames, int32_t frameCount)
{
    for (int32_t done = 0; done < frameCount; done += kChunkFrames) {
        const int32_t frames = std::min(kChunkFrames, frameCount - done);
        std::fill_n(Sums, 2 * frames, 0.0f);
        for (Voice& voice : SoundMixer.voices) {
            if (!voice.playing || voice.paused) continue;
            const int32_t count = voice.limit > 0 && voice.limit < frames ? int32_t(voice.limit) : frames;
            if (voice.stream != nullptr)
                MixStreamed(voice, count);
            else
                MixDecoded(voice, count);
            if (voice.limit > 0 && (voice.limit -= count) == 0) voice.playing = 0;
        }
        int16_t* out = stereoFrames + 2 * done;
        for (int32_t i = 0; i < 2 * frames; ++i) out[i] = Clip(Sums[i]);
    }
}

uint64_t VoiceStep(int32_t sourceRate)
{
    const int32_t outputRate = SoundMixer.outputRate > 0 ? SoundMixer.outputRate : 44100;
    return (uint64_t(std::max(sourceRate, 1)) << 32) / uint64_t(outputRate);
}

void SetVoiceRate(Voice& voice, int32_t sourceRate)
{
    const bool wasFiltering = Filtering(voice);
    voice.step = VoiceStep(sourceRate);
    if (voice.filter == nullptr) return;
    SetVoiceFilterRate(voice.filter, sourceRate);
    // From the device's own rate, where frames pass unfiltered, the filter starts where the
    // play is.
    if (!wasFiltering && Filtering(voice))
        RestartVoiceFilter(voice, voice.position >> 32);
    else if (voice.tail > 0)
        voice.tail = VoiceFilterTail(voice.filter);  // not yet flushing
}

int AttachVoiceFilter(Voice& voice, int32_t sourceRate)
{
    voice.step = VoiceStep(sourceRate);
    if (ResamplingOfNewPlays() != SOUND_RESAMPLING_FILTERED) return 0;
    voice.filter = OpenVoiceFilter(voice.channels, sourceRate);
    if (voice.filter == nullptr) return -1;
    voice.fed = voice.position >> 32;
    voice.tail = VoiceFilterTail(voice.filter);
    return 0;
}

void RestartVoiceFilter(Voice& voice, uint64_t frame)
{
    voice.fed = frame;
    if (voice.filter == nullptr) return;
    ResetVoiceFilter(voice.filter);
    voice.tail = VoiceFilterTail(voice.filter);
}

void VoiceGains(int32_t volume, int32_t pan, float* left, float* right)
{
    const float gain = float(std::clamp(volume, 0, 255)) / 255.0f;
    pan = std::clamp(pan, -255, 255);
    *left = pan > 0 ? gain * float(255 - pan) / 255.0f : gain;
    *right = pan < 0 ? gain * float(255 + pan) / 255.0f : gain;
}

float VoiceLevel(int32_t volume) { return float(std::clamp(volume, 0, 255)) / 255.0f; }

int64_t FramesOf(int32_t milliseconds) { return int64_t(milliseconds) * std::max(SoundMixer.outputRate, 1) / 1000; }

void SetVoiceFade(Voice& voice, int64_t frames, float target, bool stopAtEnd)
{
    voice.fadeTarget = target;
    voice.stopAtFadeEnd = stopAtEnd ? 1 : 0;
    if (frames <= 0 || voice.fade == target) {
        voice.fade = target;
        voice.fadeStep = 0;
        if (stopAtEnd) voice.playing = 0;
    } else {
        voice.fadeStep = (target - voice.fade) / float(frames);
    }
}

}  // namespace ror
