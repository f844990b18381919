// A sound streamed while it plays: its decoder, and a ring of decoded frames that the
// stream thread (and the message pump) fill and the mixer empties. The two sides meet only
// in the ring's two counters; the filling side works under the streams' lock.
#pragma once
#include <atomic>
#include <cstdint>

#include "sound/sound_decoder.h"

namespace ror {

// Frames of the ring: about 1.5 seconds at 44100 Hz. The stream thread tops it up every
// kStreamFeedMilliseconds, so a game frame far longer than that cannot starve it.
constexpr int32_t kStreamRingFrames = 1 << 16;
constexpr uint32_t kStreamFeedMilliseconds = 10;

// Where a sound's bytes come from: a file, or a block of memory. A stream reads memory only
// (the file layer is not for other threads): streamed sounds and music keep their file's
// bytes (LoadSourceBytes).
struct StreamSource {
    const char* path;     // or null
    const uint8_t* data;  // when path is null
    int32_t size;
};

// Where the ring's frames come from: from `ringFrame` on, source frames from `sourceFrame`
// on. A stream starts with one mark, and each turn of a loop or seek adds another.
struct StreamMark {
    uint64_t ringFrame;
    int64_t sourceFrame;
};
// Marks kept at once: a fill waits at a loop's turn while this many are still ahead of the
// mixer, so loops shorter than a 256th of the ring are buffered less deep.
constexpr int32_t kStreamMarks = 256;

// Decoded frames of one streamed sound that its plays share: its first blocks (as many as the
// budget gave), each decoded once by the first play that needs it and copied by the others.
// A play past them decodes on its own. Made and freed by the main thread; its blocks are
// filled and read under the streams' lock only.
constexpr int32_t kSharedBlockFrames = 16384;
// Bytes of shared frames of all sounds together (about 190 seconds of 44100 Hz stereo).
constexpr int64_t kSharedFramesBudget = int64_t(32) << 20;

struct SharedFrames {
    int16_t* frames;  // blockCount blocks of kSharedBlockFrames frames
    int32_t* filled;  // frames decoded into each block; -1 before it was decoded
    int32_t blockCount;
    int32_t channels;
    int64_t sourceFrames;  // the sound's length; less once a block came out short
    int64_t bytes;         // taken from the budget
};

// Shared frames for a sound of `format`: as many blocks as the budget holds, or null when it
// is spent (the plays then decode on their own) or nothing could be allocated. Main thread.
SharedFrames* OpenSharedFrames(const SoundFormat& format);
// After every stream that reads them has closed. Main thread.
void CloseSharedFrames(SharedFrames* shared);

struct SoundStream {
    SoundDecoder* decoder;
    SharedFrames* shared;  // or null: every frame from its own decoder
    int64_t decoderFrame;  // the frame the decoder reads next
    SoundReader reader;
    int32_t readerIsFile;
    int32_t channels;
    int32_t loop;                    // 1: from the loop end back to the loop start
    int64_t sourceFrame;             // the decoder's next frame
    int16_t* ring;                   // kStreamRingFrames frames
    std::atomic<uint64_t> written;   // frames put into the ring (main thread)
    std::atomic<uint64_t> consumed;  // frames the mixer is done with (callback)
    std::atomic<int32_t> finished;   // no more frames will come
    StreamMark marks[kStreamMarks];  // a ring of marks (filling side)
    uint32_t markCount;              // marks made; the newest is markCount - 1
    uint32_t oldestMark;             // the oldest mark still needed
    const char* damage;              // the decoder's damage line, logged by the pump
    int32_t damageLogged;
};

// A stream positioned at `startFrame` with its ring filled, handed to the stream thread; null
// with a log line. `source` (and `shared`, which may be null) must stay until it is closed.
SoundStream* OpenSoundStream(const StreamSource& source, int32_t loop, int64_t startFrame,
                             SharedFrames* shared = nullptr);
// Decodes into the free part of the ring; the end of the data or damage finishes it. Under
// the streams' lock.
void FillSoundStream(SoundStream* stream);
// Takes the stream from the stream thread and frees it.
void CloseSoundStream(SoundStream* stream);

// The streams' lock: the stream thread holds it while it fills; the main thread takes it to
// fill, seek or read a stream's marks. Taken before the output's lock, never after it.
void LockStreams();
void UnlockStreams();
// Fills every open stream and logs the damage they found; the message pump calls it.
void FillOpenStreams();
// The stream thread, started with the mixer and stopped after the last stream closed.
// 0, or -1 when it cannot start (the pump still fills then).
int StartStreamThread();
void StopStreamThread();
// A file's bytes as a memory source (a tracked block the caller frees); 0 or -1 logged.
int LoadSourceBytes(const char* path, StreamSource* source);
// The source frame that ring frame `ringFrame` holds (or will hold). Filling side.
int64_t StreamSourceFrame(const SoundStream* stream, uint64_t ringFrame);
// Starts the stream again at source frame `frame` from ring frame `ringFrame` on (the ring's
// frames after it are dropped); the caller keeps the mixer out meanwhile. 0, or -1 when the
// decoder cannot seek there.
int RestartSoundStream(SoundStream* stream, uint64_t ringFrame, int64_t frame);

// Opens the source's bytes as a stream of the layer (through the archive-aware file
// operations for a path); 0 or -1 with a log line.
int OpenSourceReader(const StreamSource& source, SoundReader* reader, int32_t* isFile);
void CloseSourceReader(const SoundReader& reader);

}  // namespace ror
