// Music: one piece at a time, streamed through the mixer's own music voice.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "platform/audio/audio_device.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "core/last_failure.h"
#include "sound/sound_plays.h"

namespace ror {

namespace {

Voice& MusicVoice() { return SoundMixer.voices[kMusicVoice]; }

}  // namespace

int DeleteMusicHandle(int32_t handle)
{
    MusicRecord* music = ResolveMusic(handle);
    if (music == nullptr) return -1;
    if (SoundTables.currentMusic == handle) {
        EndMusicPlay(PLAY_STATE_STOPPED);
        StopVoicesOf(handle);
        SoundTables.currentMusic = -1;
    }
    SoundTables.musicSlots[HandleIndex(handle)] = nullptr;
    if (music->source.data != nullptr) TrackedFree(const_cast<uint8_t*>(music->source.data));
    TrackedFree(music);
    return 0;
}

}  // namespace ror

using namespace ror;

int PlayMusic(const char* path, int loop)
{
    StopMusic();
    if (path == nullptr) return FailedArgument(__func__);
    if (SoundMixer.outputRate <= 0) return LogWrite("サウンドデバイスが動いていないので再生できません\n");
    const int32_t slot = FreeSoundSlot(SoundTables.music, "ミュージック");
    if (slot < 0) return -1;
    auto* music = static_cast<MusicRecord*>(TrackedAllocZeroed(int32_t(sizeof(MusicRecord)), __FILE__, __LINE__));
    if (music == nullptr) return LogWrite("ミュージックハンドルのメモリ確保に失敗しました\n");
    // The piece plays from its bytes in memory: the stream thread reads no files.
    if (LoadSourceBytes(path, &music->source) != 0) {
        TrackedFree(music);
        return -1;
    }
    music->loop = loop != 0 ? 1 : 0;
    const uint32_t mark = FailureMark();
    SoundStream* stream = OpenSoundStream(music->source, music->loop, 0);
    if (stream == nullptr) {
        TrackedFree(const_cast<uint8_t*>(music->source.data));
        TrackedFree(music);
        return FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
    }
    Voice fresh{};
    fresh.playing = 1;
    fresh.loop = music->loop;
    fresh.channels = stream->channels;
    fresh.stream = stream;
    if (AttachVoiceFilter(fresh, stream->decoder->format.rate) != 0) {
        CloseSoundStream(stream);
        TrackedFree(const_cast<uint8_t*>(music->source.data));
        TrackedFree(music);
        return -1;
    }
    music->header.check = StampCheck(SoundTables.music);
    music->header.handle = MakeHandle(HandleKind::Music, slot, music->header.check);
    SoundTables.musicSlots[slot] = &music->header;
    SoundTables.currentMusic = music->header.handle;
    fresh.owner = music->header.handle;
    fresh.gainLeft = 1.0f;
    fresh.gainRight = 1.0f;
    fresh.fade = VoiceLevel(SoundTables.musicVolume);
    LockAudioOutput();
    fresh.serial = SoundMixer.nextSerial++;
    MusicVoice() = fresh;
    UnlockAudioOutput();
    Plays.musicState = PLAY_STATE_PLAYING;
    return 0;
}

int StopMusic()
{
    if (SoundTables.currentMusic < 0) return 0;
    return DeleteMusicHandle(SoundTables.currentMusic);
}

int PauseMusic()
{
    if (SoundTables.currentMusic < 0) return FailedNoMusic(__func__);
    LockAudioOutput();
    MusicVoice().paused = 1;
    if (Plays.musicState == PLAY_STATE_PLAYING) Plays.musicState = PLAY_STATE_PAUSED;
    UnlockAudioOutput();
    return 0;
}

int ResumeMusic()
{
    if (SoundTables.currentMusic < 0) return FailedNoMusic(__func__);
    LockAudioOutput();
    MusicVoice().paused = 0;
    if (Plays.musicState == PLAY_STATE_PAUSED) Plays.musicState = PLAY_STATE_PLAYING;
    UnlockAudioOutput();
    return 0;
}

int IsMusicPlaying()
{
    if (SoundTables.currentMusic < 0) return 0;
    LockAudioOutput();
    const int playing = MusicVoice().playing;
    UnlockAudioOutput();
    return playing ? 1 : 0;
}

int SetMusicVolume(int volume)
{
    if (volume < 0 || volume > 255) return FailedArgument(__func__);
    SoundTables.musicVolume = volume;
    LockAudioOutput();
    SetVoiceFade(MusicVoice(), 0, VoiceLevel(volume), false);
    UnlockAudioOutput();
    return 0;
}

int FadeMusic(int milliseconds, int volume)
{
    if (volume < 0 || volume > 255 || milliseconds < 0) return FailedArgument(__func__);
    if (volume > 0) SoundTables.musicVolume = volume;
    LockAudioOutput();
    SetVoiceFade(MusicVoice(), FramesOf(milliseconds), VoiceLevel(volume), volume == 0);
    UnlockAudioOutput();
    return 0;
}

int SetMusicPosition(int64_t frame)
{
    if (SoundTables.currentMusic < 0 || frame < 0) return -1;
    // Only this thread sets the voice's stream and rate; the mixer moves its position.
    Voice& voice = MusicVoice();
    SoundStream* stream = voice.stream;
    if (stream == nullptr || frame > stream->decoder->format.frames) return -1;
    LockStreams();
    LockAudioOutput();
    const bool sounding = voice.playing != 0;
    const uint64_t ringFrame = voice.position >> 32;
    int result = -1;
    if (sounding) {
        result = RestartSoundStream(stream, ringFrame, frame);
        if (result == 0) {
            voice.position = ringFrame << 32;
            RestartVoiceFilter(voice, ringFrame);
        }
    }
    UnlockAudioOutput();
    if (result == 0) FillSoundStream(stream);
    UnlockStreams();
    if (result != 0) return sounding ? LogWrite("ミュージックの再生位置を移せませんでした\n") : -1;
    return 0;
}

int64_t GetMusicPosition()
{
    if (SoundTables.currentMusic < 0) return -1;
    const SoundStream* stream = MusicVoice().stream;
    if (stream == nullptr) return -1;
    LockStreams();
    LockAudioOutput();
    const uint64_t ringFrame = MusicVoice().position >> 32;
    const bool sounding = MusicVoice().playing != 0;
    UnlockAudioOutput();
    const int64_t frame = sounding ? StreamSourceFrame(stream, ringFrame) : -1;
    UnlockStreams();
    return frame;
}

int SetMusicPositionSeconds(double seconds)
{
    if (SoundTables.currentMusic < 0 || MusicVoice().stream == nullptr || !(seconds >= 0)) return -1;
    const double frame = seconds * MusicVoice().stream->decoder->format.rate;
    if (frame > double(INT64_MAX / 2)) return -1;
    return SetMusicPosition(int64_t(std::llround(frame)));
}

double GetMusicPositionSeconds()
{
    const int64_t frame = GetMusicPosition();
    if (frame < 0) return -1.0;
    return double(frame) / MusicVoice().stream->decoder->format.rate;
}
