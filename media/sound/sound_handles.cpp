#include "sound/sound_handles.h"

#include "core/app_log.h"
#include "platform/audio/audio_device.h"
#include "rorodiv.h"
#include "sound/sound_mixer.h"
#include "sound/sound_plays.h"
#include "sound/sound_resampler.h"

namespace ror {

SoundTablesState SoundTables = {
    {}, {HandleKind::Sound, kSoundTableSize, SoundTables.soundSlots, 0},
    {}, {HandleKind::Music, kMusicTableSize, SoundTables.musicSlots, 0},
    -1, 255,
};

SoundRecord* ResolveSound(int32_t handle)
{
    return reinterpret_cast<SoundRecord*>(ResolveHandle(handle, SoundTables.sounds));
}

MusicRecord* ResolveMusic(int32_t handle)
{
    return reinterpret_cast<MusicRecord*>(ResolveHandle(handle, SoundTables.music));
}

int32_t FreeSoundSlot(const HandleTable& table, const char* what)
{
    for (int32_t slot = 0; slot < table.indexLimit; ++slot)
        if (table.slots[slot] == nullptr) return slot;
    return LogWriteFormat("作成できる%sハンドル数 %d の限界を超えました\n", PickLogText(what), table.indexLimit);
}

void ReleaseEndedStreams()
{
    SoundStream* ended[kVoiceLimit + 1];
    VoiceFilter* filters[kVoiceLimit + 1];
    int32_t count = 0, filterCount = 0;
    LockAudioOutput();
    for (Voice& voice : SoundMixer.voices) {
        if (voice.playing) continue;
        if (voice.stream != nullptr) ended[count++] = voice.stream;
        if (voice.filter != nullptr) filters[filterCount++] = voice.filter;
        voice.stream = nullptr;
        voice.filter = nullptr;
    }
    UnlockAudioOutput();
    for (int32_t i = 0; i < count; ++i) CloseSoundStream(ended[i]);
    for (int32_t i = 0; i < filterCount; ++i) CloseVoiceFilter(filters[i]);
}

void StopVoicesOf(int32_t owner)
{
    LockAudioOutput();
    for (Voice& voice : SoundMixer.voices) {
        if (owner != -1 && voice.owner != owner) continue;
        EndPlayOfVoice(voice, voice.playing ? PLAY_STATE_STOPPED : PLAY_STATE_ENDED);
        voice.playing = 0;
        voice.samples = nullptr;
        voice.owner = -1;
    }
    UnlockAudioOutput();
    ReleaseEndedStreams();
}

void StepSoundStreaming()
{
    ReleaseEndedStreams();
    FillOpenStreams();
    DeliverSoundNotices();
}

void DeleteAllSoundHandles()
{
    for (int32_t slot = 0; slot < kSoundTableSize; ++slot) {
        const HandleHeader* record = SoundTables.soundSlots[slot];
        if (record != nullptr) DeleteSound(MakeHandle(HandleKind::Sound, slot, record->check));
    }
}

void DeleteAllMusicHandles()
{
    StopMusic();
    for (int32_t slot = 0; slot < kMusicTableSize; ++slot) {
        const HandleHeader* record = SoundTables.musicSlots[slot];
        if (record != nullptr) DeleteMusicHandle(MakeHandle(HandleKind::Music, slot, record->check));
    }
}

}  // namespace ror
