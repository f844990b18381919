#include "sound/sound_resampler.h"

#include <speex/speex_resampler.h>

#include "core/app_log.h"
#include "core/last_failure.h"
#include "rorodiv.h"
#include "sound/sound_mixer.h"

namespace ror {

namespace {

// Quality 4 of libspeexdsp's 0..10: its pass band keeps a tone at 85 % of the source's
// Nyquist frequency within a few steps of sox's very-high-quality resampler, where 3 already
// dulls it; 5 costs a third more for no audible gain (docs/performance.md).
constexpr int kFilterQuality = 4;

struct ResamplingState {
    int32_t newPlays;  // SOUND_RESAMPLING_...
};

ResamplingState Resampling = {SOUND_RESAMPLING_FILTERED};

SpeexResamplerState* Speex(VoiceFilter* filter) { return reinterpret_cast<SpeexResamplerState*>(filter); }

uint32_t OutputRate() { return uint32_t(SoundMixer.outputRate > 0 ? SoundMixer.outputRate : 44100); }

}  // namespace

int32_t ResamplingOfNewPlays() { return Resampling.newPlays; }

VoiceFilter* OpenVoiceFilter(int32_t channels, int32_t sourceRate)
{
    int error = 0;
    SpeexResamplerState* state =
        speex_resampler_init(uint32_t(channels), uint32_t(sourceRate), OutputRate(), kFilterQuality, &error);
    if (state == nullptr) {
        LogWrite("リサンプラのメモリ確保に失敗しました\n");
        return nullptr;
    }
    // The output starts with the first frame, not with the filter's delay.
    speex_resampler_skip_zeros(state);
    return reinterpret_cast<VoiceFilter*>(state);
}

void CloseVoiceFilter(VoiceFilter* filter)
{
    if (filter != nullptr) speex_resampler_destroy(Speex(filter));
}

void SetVoiceFilterRate(VoiceFilter* filter, int32_t sourceRate)
{
    if (filter != nullptr) speex_resampler_set_rate(Speex(filter), uint32_t(sourceRate), OutputRate());
}

int32_t RunVoiceFilter(VoiceFilter* filter, const int16_t* in, uint32_t* inFrames, int16_t* out, uint32_t outFrames)
{
    speex_resampler_process_interleaved_int(Speex(filter), in, inFrames, out, &outFrames);
    return int32_t(outFrames);
}

void ResetVoiceFilter(VoiceFilter* filter)
{
    speex_resampler_reset_mem(Speex(filter));
    speex_resampler_skip_zeros(Speex(filter));
}

int32_t VoiceFilterTail(VoiceFilter* filter) { return speex_resampler_get_input_latency(Speex(filter)); }

}  // namespace ror

using namespace ror;

int SetSoundResampling(int resampling)
{
    if (resampling != SOUND_RESAMPLING_FILTERED && resampling != SOUND_RESAMPLING_LINEAR)
        return FailedArgument(__func__);
    Resampling.newPlays = resampling;
    return 0;
}
