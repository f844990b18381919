// Sound handles (kind 2, 4096 slots) and music handles (kind 11, 256 slots), the records
// they name, and the steps the message pump and shutdown run for them.
#pragma once
#include <cstdint>

#include "core/handles.h"
#include "sound/sound_decoder.h"
#include "sound/sound_stream.h"

namespace ror {

constexpr int32_t kSoundTableSize = 4096;
constexpr int32_t kMusicTableSize = 256;
// A sound whose decoded 16-bit frames would take more than this streams while it plays
// (2 MB: about 12 seconds of 44100 Hz stereo); shorter ones are decoded once at loading.
constexpr int64_t kStreamThresholdBytes = 2 << 20;

struct SoundRecord {
    HandleHeader header;
    SoundFormat format;
    int16_t* samples;      // decoded frames; null when the sound streams
    StreamSource source;   // where a streamed sound is read from (owned copies)
    SharedFrames* shared;  // its plays' shared decoded frames, from its first play on; or null
    int32_t volume;        // 0..255
    int32_t pan;           // -255 (left) .. 255 (right)
    int32_t frequency;     // playback rate; 0: the sound's own
    int64_t startFrame;    // where the next play starts
};

struct MusicRecord {
    HandleHeader header;
    StreamSource source;
    int32_t loop;
};

struct SoundTablesState {
    HandleHeader* soundSlots[kSoundTableSize];
    HandleTable sounds;
    HandleHeader* musicSlots[kMusicTableSize];
    HandleTable music;
    int32_t currentMusic;  // handle of the piece in the music voice, or -1
    int32_t musicVolume;   // 0..255, what a new piece starts with
};

extern SoundTablesState SoundTables;

SoundRecord* ResolveSound(int32_t handle);
MusicRecord* ResolveMusic(int32_t handle);
// The lowest free slot of a table, or -1 with the table-full log line.
int32_t FreeSoundSlot(const HandleTable& table, const char* what);

// Delete every existing handle of the kind; shutdown calls these before the device goes.
void DeleteAllSoundHandles();
void DeleteAllMusicHandles();
// Deletes one music record (stopping it when it plays); 0 or -1 for a bad handle.
int DeleteMusicHandle(int32_t handle);

// Stops every voice of `owner` (all voices when owner is -1) and closes the streams of
// stopped and ended voices.
void StopVoicesOf(int32_t owner);
void ReleaseEndedStreams();

// Closes the streams of ended voices, tops up the rings of the others (the stream thread
// does so too) and hands out the end notices; the message pump calls it at every pass.
void StepSoundStreaming();

}  // namespace ror
