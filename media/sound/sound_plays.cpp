// Plays as things of their own: their records, the operations on one play, and the end
// notices handed to the game from the message pump.
#include "sound/sound_plays.h"

#include <algorithm>

#include "platform/audio/audio_device.h"
#include "sound/sound_handles.h"
#include "core/last_failure.h"

namespace ror {

PlaysState Plays = {{},
                    {},
                    {HandleKind::Play, kPlayTableSize, Plays.slots, 0},
                    0,
                    PLAY_STATE_NONE,
                    {},
                    0,
                    nullptr,
                    nullptr,
                    nullptr,
                    nullptr,
                    0};

namespace {

bool Sounding(int32_t state) { return state == PLAY_STATE_PLAYING || state == PLAY_STATE_PAUSED; }

void MarkEnded(PlayRecord& record, int32_t state)
{
    record.state = state;
    record.pending = 1;
}

// A sounding record whose voice the mixer has ended counts as ended from now on. Under the
// output's lock.
void RefreshLocked(PlayRecord& record)
{
    if (!Sounding(record.state)) return;
    const Voice& voice = SoundMixer.voices[record.voice];
    if (!voice.playing || voice.serial != record.serial) MarkEnded(record, PLAY_STATE_ENDED);
}

void MarkMusicEnded(int32_t state)
{
    Plays.musicState = state;
    if (Plays.musicEndCount < kMusicNoticeLimit) Plays.musicEnds[Plays.musicEndCount++] = state;
}

void RefreshMusicLocked()
{
    if (!Sounding(Plays.musicState) || SoundTables.currentMusic < 0) return;
    if (!SoundMixer.voices[kMusicVoice].playing) MarkMusicEnded(PLAY_STATE_ENDED);
}

PlayRecord* ResolvePlay(int32_t play) { return reinterpret_cast<PlayRecord*>(ResolveHandle(play, Plays.table)); }

// Runs `change` on the voice of a sounding play under the output's lock: 0, also when the
// play no longer sounds (nothing is changed then); -1 for an invalid handle.
template <typename Change>
int ChangePlay(const char* operation, int32_t play, Change change)
{
    PlayRecord* record = ResolvePlay(play);
    if (record == nullptr) return FailedHandle(operation, play);
    LockAudioOutput();
    RefreshLocked(*record);
    if (Sounding(record->state)) change(*record, SoundMixer.voices[record->voice]);
    UnlockAudioOutput();
    return 0;
}

}  // namespace

int32_t NewPlayRecord(int32_t index, const Voice& voice)
{
    // Round the table from where the last search stopped: first a record that neither
    // sounds nor waits for its notice, and when none is left, one that only waits.
    int32_t slot = -1;
    for (int32_t pass = 0; pass < 2 && slot < 0; ++pass) {
        for (int32_t step = 0; step < kPlayTableSize; ++step) {
            const int32_t candidate = (Plays.nextSlot + step) % kPlayTableSize;
            const PlayRecord& record = Plays.records[candidate];
            if (Plays.slots[candidate] != nullptr && (Sounding(record.state) || (pass == 0 && record.pending)))
                continue;
            slot = candidate;
            break;
        }
    }
    Plays.nextSlot = (slot + 1) % kPlayTableSize;
    PlayRecord& record = Plays.records[slot];
    record.header.check = StampCheck(Plays.table);
    record.header.handle = MakeHandle(HandleKind::Play, slot, record.header.check);
    record.voice = index;
    record.serial = voice.serial;
    record.sound = voice.owner;
    record.state = PLAY_STATE_PLAYING;
    record.pending = 0;
    Plays.slots[slot] = &record.header;
    return slot;
}

PlayRecord* PlayOfVoice(const Voice& voice)
{
    if (voice.play <= 0 || voice.play > kPlayTableSize) return nullptr;
    PlayRecord& record = Plays.records[voice.play - 1];
    if (&SoundMixer.voices[record.voice] != &voice || record.serial != voice.serial) return nullptr;
    return &record;
}

void EndPlayOfVoice(const Voice& voice, int32_t state)
{
    PlayRecord* record = PlayOfVoice(voice);
    if (record != nullptr && Sounding(record->state)) MarkEnded(*record, state);
}

void EndMusicPlay(int32_t state)
{
    if (Sounding(Plays.musicState)) MarkMusicEnded(state);
}

void DeliverSoundNotices()
{
    if (Plays.delivering) return;
    LockAudioOutput();
    for (int32_t index = 0; index < kVoiceLimit; ++index) {
        PlayRecord* record = PlayOfVoice(SoundMixer.voices[index]);
        if (record != nullptr) RefreshLocked(*record);
    }
    RefreshMusicLocked();
    UnlockAudioOutput();

    // Taken out first: a callback may start plays, which reuse records.
    static int32_t ended[kPlayTableSize][2];
    int32_t count = 0;
    for (PlayRecord& record : Plays.records) {
        if (!record.pending) continue;
        record.pending = 0;
        ended[count][0] = record.header.handle;
        ended[count][1] = record.state;
        ++count;
    }
    static int32_t musicEnds[kMusicNoticeLimit];
    const int32_t musicCount = Plays.musicEndCount;
    std::copy_n(Plays.musicEnds, musicCount, musicEnds);
    Plays.musicEndCount = 0;
    Plays.delivering = 1;
    if (Plays.playEnded != nullptr)
        for (int32_t i = 0; i < count; ++i) Plays.playEnded(ended[i][0], ended[i][1], Plays.playEndedData);
    if (Plays.musicEnded != nullptr)
        for (int32_t i = 0; i < musicCount; ++i) Plays.musicEnded(musicEnds[i], Plays.musicEndedData);
    Plays.delivering = 0;
}

void ClearPlays()
{
    for (PlayRecord& record : Plays.records) record.pending = 0;
    Plays.musicState = PLAY_STATE_NONE;
    Plays.musicEndCount = 0;
}

}  // namespace ror

using namespace ror;

int GetPlayState(int play)
{
    PlayRecord* record = ResolvePlay(play);
    if (record == nullptr) return FailedHandle(__func__, play);
    LockAudioOutput();
    RefreshLocked(*record);
    UnlockAudioOutput();
    return record->state;
}

int SetPlayVolume(int play, int volume)
{
    if (volume < 0 || volume > 255) return FailedArgument(__func__);
    return ChangePlay(__func__, play,
                      [&](PlayRecord&, Voice& voice) { SetVoiceFade(voice, 0, VoiceLevel(volume), false); });
}

int SetPlayPan(int play, int pan)
{
    if (pan < -255 || pan > 255) return FailedArgument(__func__);
    return ChangePlay(__func__, play,
                      [&](PlayRecord&, Voice& voice) { VoiceGains(255, pan, &voice.gainLeft, &voice.gainRight); });
}

int SetPlayFrequency(int play, int frequency)
{
    if (frequency != 0 && (frequency < kMinSoundRate || frequency > kMaxSoundRate)) return FailedArgument(__func__);
    return ChangePlay(__func__, play, [&](PlayRecord& record, Voice& voice) {
        const SoundRecord* sound = ResolveSound(record.sound);
        if (sound != nullptr) SetVoiceRate(voice, frequency > 0 ? frequency : sound->format.rate);
    });
}

int PausePlay(int play)
{
    return ChangePlay(__func__, play, [](PlayRecord& record, Voice& voice) {
        voice.paused = 1;
        record.state = PLAY_STATE_PAUSED;
    });
}

int ResumePlay(int play)
{
    return ChangePlay(__func__, play, [](PlayRecord& record, Voice& voice) {
        voice.paused = 0;
        record.state = PLAY_STATE_PLAYING;
    });
}

int StopPlay(int play)
{
    const int result = ChangePlay(__func__, play, [](PlayRecord& record, Voice& voice) {
        MarkEnded(record, PLAY_STATE_STOPPED);
        voice.playing = 0;
        voice.samples = nullptr;
        voice.owner = -1;
    });
    ReleaseEndedStreams();
    return result;
}

int FadePlay(int play, int milliseconds, int volume)
{
    if (milliseconds < 0 || volume < 0 || volume > 255) return FailedArgument(__func__);
    return ChangePlay(__func__, play, [&](PlayRecord&, Voice& voice) {
        SetVoiceFade(voice, FramesOf(milliseconds), VoiceLevel(volume), volume == 0);
    });
}

int SetPlayTimeLimit(int play, int milliseconds)
{
    if (milliseconds < -1) return FailedArgument(__func__);
    return ChangePlay(__func__, play, [&](PlayRecord&, Voice& voice) {
        if (milliseconds == 0)
            voice.playing = 0;
        else
            voice.limit = milliseconds < 0 ? 0 : std::max<int64_t>(1, FramesOf(milliseconds));
    });
}

int SetPlayEndCallback(PlayEndCallback callback, void* data)
{
    Plays.playEnded = callback;
    Plays.playEndedData = data;
    return 0;
}

int SetMusicEndCallback(MusicEndCallback callback, void* data)
{
    Plays.musicEnded = callback;
    Plays.musicEndedData = data;
    return 0;
}

int GetMusicState()
{
    LockAudioOutput();
    RefreshMusicLocked();
    UnlockAudioOutput();
    return Plays.musicState;
}
