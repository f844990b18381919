// A sound streamed while it plays: its decoder, and a ring of decoded frames that the main
// thread fills (from the message pump) and the mixer empties. The two sides meet only in
// the ring's two counters.
#pragma once
#include <atomic>
#include <cstdint>

#include "sound/sound_decoder.h"

namespace ror {

// Frames of the ring: about 1.5 seconds at 44100 Hz, so a frame loop that pumps messages
// now and then keeps it from running dry.
constexpr int32_t kStreamRingFrames = 1 << 16;

// Where a streamed sound's bytes come from: a file (opened again for every play) or a
// block of memory the sound record owns.
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

struct SoundStream {
    SoundDecoder* decoder;
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
};

// A stream positioned at `startFrame` with its ring filled; null with a log line.
SoundStream* OpenSoundStream(const StreamSource& source, int32_t loop, int64_t startFrame);
// Decodes into the free part of the ring; the end of the data or damage finishes it.
void FillSoundStream(SoundStream* stream);
void CloseSoundStream(SoundStream* stream);
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
