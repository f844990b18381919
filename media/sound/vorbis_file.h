// Ogg Vorbis data decoded through libvorbisfile, read through the caller's read, seek and
// tell operations (the sound layer gives it the layer's streams).
#pragma once
#include <cstddef>
#include <cstdint>

namespace ror {

struct VorbisReader {
    void* context;
    size_t (*read)(void* context, void* destination, size_t bytes);  // bytes read
    int (*seek)(void* context, int64_t offset, int origin);          // 0 or -1
    int64_t (*tell)(void* context);                                  // -1 when unknown
};

struct VorbisInfo {
    int32_t channels;
    int32_t rate;
    int64_t frames;      // -1 when the stream does not tell
    int64_t loopStart;   // LOOPSTART comment, else -1
    int64_t loopLength;  // LOOPLENGTH comment, else -1
    int64_t loopEnd;     // LOOPEND comment, else -1
};

struct VorbisFile;

// Null when the data is not Ogg Vorbis or cannot be read. The reader must stay valid until
// the file is closed.
VorbisFile* OpenVorbisFile(const VorbisReader& reader, VorbisInfo* info);
// Up to maxFrames interleaved 16-bit frames of the file's channels: the count, 0 at the end,
// -1 on damaged data.
int32_t ReadVorbisFrames(VorbisFile* file, int16_t* frames, int32_t maxFrames);
int SeekVorbisFrame(VorbisFile* file, int64_t frame);
void CloseVorbisFile(VorbisFile* file);

}  // namespace ror
