// Decoders of sound data (WAV, Ogg Vorbis, MP3, FLAC and Ogg Opus), reading through the
// layer's streams and giving signed 16-bit frames in the data's own channel count and rate.
#pragma once
#include <cstdint>

#include "file/file_access.h"

namespace ror {

// Channel counts and rates a sound may have.
constexpr int32_t kMaxSoundChannels = 2;
constexpr int32_t kMinSoundRate = 1000;
constexpr int32_t kMaxSoundRate = 384000;

struct SoundFormat {
    int32_t channels;   // 1 or 2
    int32_t rate;       // frames per second
    int64_t frames;     // length in frames
    int64_t loopStart;  // frame where a loop starts again (0: the beginning)
    int64_t loopEnd;    // frame where a loop turns back (frames: the end)
};

struct SoundReader {
    const StreamOps* ops;
    StreamValue stream;
};

struct SoundDecoder;

struct SoundDecoderOps {
    // Up to maxFrames frames into `frames`: the count, 0 at the end, -1 on damaged data
    // (with the decoder's `damage` set; read never logs, as it runs on the stream thread).
    int32_t (*read)(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames);
    int (*seek)(SoundDecoder* decoder, int64_t frame);  // 0 or -1
    void (*close)(SoundDecoder* decoder);               // frees the decoder, not the stream
};

// Every decoder's record starts with this.
struct SoundDecoder {
    const SoundDecoderOps* ops;
    SoundReader in;
    SoundFormat format;
    const char* damage;  // the log line of the damage a read found, or null
};

// The decoder for the data at the stream's start, chosen by its first bytes; null with a
// log line when the data is of no format above, or is damaged or unsupported.
SoundDecoder* OpenSoundDecoder(const SoundReader& in);

SoundDecoder* OpenWavDecoder(const SoundReader& in);
SoundDecoder* OpenOggDecoder(const SoundReader& in);
SoundDecoder* OpenMp3Decoder(const SoundReader& in);
SoundDecoder* OpenFlacDecoder(const SoundReader& in);
SoundDecoder* OpenOpusDecoder(const SoundReader& in);
// A Standard MIDI File, rendered stereo at the MIDI render rate (midi_synth.h).
SoundDecoder* OpenMidiDecoder(const SoundReader& in);
// The decoders' tables, for the check that every entry is filled.
const SoundDecoderOps& WavDecoderOps();
const SoundDecoderOps& OggDecoderOps();
const SoundDecoderOps& Mp3DecoderOps();
const SoundDecoderOps& FlacDecoderOps();
const SoundDecoderOps& OpusDecoderOps();
const SoundDecoderOps& MidiDecoderOps();

// Checks shared by the decoders; false with a log line.
bool UsableSoundFormat(int32_t channels, int64_t rate);
// A length a decoder may claim: from 0 to a day of sound. A damaged header can claim anything.
bool PlausibleSoundLength(int64_t frames);

// A decoder's record of `bytes`, zeroed; null with a log line.
void* AllocSoundDecoder(size_t bytes);

// The stream of a reader, for a library's reader callbacks: bytes read; 0 or -1; the position
// or -1; the length in bytes (the position kept) or -1.
size_t ReadSoundBytes(const SoundReader& in, void* destination, size_t bytes);
int SeekSoundBytes(const SoundReader& in, int64_t offset, int origin);
int64_t TellSoundBytes(const SoundReader& in);
int64_t SoundBytesLength(const SoundReader& in);

// Loop points from a piece's LOOPSTART, LOOPLENGTH and LOOPEND comments (-1 where absent), in
// frames; points outside the piece are ignored. `format->frames` must be set.
void SetCommentLoopPoints(int64_t start, int64_t length, int64_t end, SoundFormat* format);
// A comment's value "123" as a frame, or -1 (also for a null value).
int64_t CommentFrame(const char* value);

}  // namespace ror
