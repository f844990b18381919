// Play records (kind 13): one for every play of a sound, kept after the play ends so the game
// can ask how it ended, and the end notices the message pump hands to the game.
#pragma once
#include <cstdint>

#include "core/handles.h"
#include "rorodiv.h"
#include "sound/sound_mixer.h"

namespace ror {

// Records are reused round the table, skipping those still sounding: a play's handle stays
// valid for at least kPlayTableSize - kVoiceLimit later plays.
constexpr int32_t kPlayTableSize = 1024;
// Ends of pieces kept for the notices between two passes of the pump; more are dropped.
constexpr int32_t kMusicNoticeLimit = 16;

struct PlayRecord {
    HandleHeader header;
    int32_t voice;    // index in SoundMixer.voices
    uint32_t serial;  // the voice's serial while it is this play's
    int32_t sound;    // handle of the sound it plays
    int32_t state;    // PLAY_STATE_...
    int32_t pending;  // 1: its end notice has not been handed out yet
};

struct PlaysState {
    PlayRecord records[kPlayTableSize];
    HandleHeader* slots[kPlayTableSize];
    HandleTable table;
    int32_t nextSlot;
    int32_t musicState;                    // PLAY_STATE_...
    int32_t musicEnds[kMusicNoticeLimit];  // how pieces ended since the last notices
    int32_t musicEndCount;
    PlayEndCallback playEnded;
    void* playEndedData;
    MusicEndCallback musicEnded;
    void* musicEndedData;
    int32_t delivering;  // a callback runs: notices wait for the outer pass
};

extern PlaysState Plays;

// A record for the play that has just been put into voice `index`; its handle. Main thread.
int32_t NewPlayRecord(int32_t index, const Voice& voice);
// The record of the play in `voice`, or null. Main thread.
PlayRecord* PlayOfVoice(const Voice& voice);
// Marks the play in `voice` as ended in `state` when it still counted as sounding.
void EndPlayOfVoice(const Voice& voice, int32_t state);
// The music piece's end in `state`, when it still counted as sounding.
void EndMusicPlay(int32_t state);
// Every sounding play the mixer has ended is marked so; then the end notices are handed to
// the game's callbacks. The message pump runs it.
void DeliverSoundNotices();
// Back to no plays and no pending notices (the callbacks stay); the device's start and end.
void ClearPlays();

}  // namespace ror
