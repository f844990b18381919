// Each voice's band-limited resampler (libspeexdsp), and the setting that chooses it or the
// mixer's linear interpolation for the plays started from then on.
#pragma once
#include <cstdint>

namespace ror {

struct VoiceFilter;

// The resampling new plays get: SOUND_RESAMPLING_... (the filter by default).
int32_t ResamplingOfNewPlays();

// A filter for `channels` (1 or 2) from `sourceRate` to the output's rate; null (logged)
// when it cannot be made. Main thread, outside the output's lock: it allocates.
VoiceFilter* OpenVoiceFilter(int32_t channels, int32_t sourceRate);
void CloseVoiceFilter(VoiceFilter* filter);
// A new source rate for the play; the filter keeps its history. Main thread, under the
// output's lock (it may recompute the filter's table; the callback never does).
void SetVoiceFilterRate(VoiceFilter* filter, int32_t sourceRate);
// Makes up to `outFrames` frames from up to `*inFrames` input frames (interleaved 16-bit);
// `*inFrames` becomes the frames taken. The frames made. Audio callback: neither allocates
// nor locks.
int32_t RunVoiceFilter(VoiceFilter* filter, const int16_t* in, uint32_t* inFrames, int16_t* out, uint32_t outFrames);
// Forgets the frames taken so far: the next output starts with the next input frame.
void ResetVoiceFilter(VoiceFilter* filter);
// Input frames of silence that push a sound's last frames through the filter.
int32_t VoiceFilterTail(VoiceFilter* filter);

}  // namespace ror
