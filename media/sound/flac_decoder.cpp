// FLAC data through libFLAC's stream decoder, which reads the layer's stream through
// callbacks. The library hands over one block at a time; the decoder keeps it in a buffer
// sized at opening for the largest block the stream announces, so reading allocates nothing.
#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

struct FlacDecoder {
    SoundDecoder base;
    FLAC__StreamDecoder* flac;
    int16_t* block;  // decoded frames of the last block
    int32_t blockCapacity;
    int32_t blockFrames;
    int32_t blockRead;
    int32_t bits;      // bits of a sample in the stream
    bool infoSeen;     // STREAMINFO was read
    bool damaged;      // the library reported an error
    bool atEnd;        // sought to the very end
    int64_t loops[3];  // LOOPSTART, LOOPLENGTH, LOOPEND comments, or -1
};

FlacDecoder* Of(void* context) { return static_cast<FlacDecoder*>(context); }

FLAC__StreamDecoderReadStatus ReadCallback(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                           void* context)
{
    *bytes = ReadSoundBytes(Of(context)->base.in, buffer, *bytes);
    return *bytes > 0 ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}

FLAC__StreamDecoderSeekStatus SeekCallback(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* context)
{
    return offset <= FLAC__uint64(INT64_MAX) && SeekSoundBytes(Of(context)->base.in, int64_t(offset), kSeekStart) == 0
               ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
               : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
}

FLAC__StreamDecoderTellStatus TellCallback(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* context)
{
    const int64_t here = TellSoundBytes(Of(context)->base.in);
    if (here < 0) return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    *offset = FLAC__uint64(here);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus LengthCallback(const FLAC__StreamDecoder*, FLAC__uint64* length, void* context)
{
    const int64_t bytes = SoundBytesLength(Of(context)->base.in);
    if (bytes < 0) return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
    *length = FLAC__uint64(bytes);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool EndCallback(const FLAC__StreamDecoder*, void* context)
{
    const SoundReader& in = Of(context)->base.in;
    return in.ops->atEnd(in.stream) != 0;
}

// One block into the buffer as 16-bit frames. A block larger than announced, or of another
// channel count or sample size, is damage.
FLAC__StreamDecoderWriteStatus WriteCallback(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                             const FLAC__int32* const buffer[], void* context)
{
    FlacDecoder* decoder = Of(context);
    const int32_t frames = int32_t(frame->header.blocksize);
    const int32_t channels = decoder->base.format.channels;
    if (decoder->block == nullptr || frames > decoder->blockCapacity || int32_t(frame->header.channels) != channels ||
        int32_t(frame->header.bits_per_sample) != decoder->bits) {
        decoder->damaged = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const int32_t bits = decoder->bits;
    for (int32_t c = 0; c < channels; ++c) {
        const FLAC__int32* in = buffer[c];
        int16_t* out = decoder->block + c;
        if (bits >= 16) {
            for (int32_t i = 0; i < frames; ++i) out[i * channels] = int16_t(in[i] >> (bits - 16));
        } else {
            for (int32_t i = 0; i < frames; ++i) out[i * channels] = int16_t(uint32_t(in[i]) << (16 - bits));
        }
    }
    decoder->blockFrames = frames;
    decoder->blockRead = 0;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

// A LOOPSTART, LOOPLENGTH or LOOPEND comment into `loops`.
void NoteLoopComment(const FLAC__StreamMetadata_VorbisComment_Entry& entry, int64_t* loops)
{
    static const char* const kNames[3] = {"LOOPSTART=", "LOOPLENGTH=", "LOOPEND="};
    for (int i = 0; i < 3; ++i) {
        const size_t name = std::strlen(kNames[i]);
        if (entry.length <= name || entry.length - name >= 24) continue;
        // Names of comments are ASCII in any case.
        bool same = true;
        for (size_t k = 0; k < name && same; ++k) same = std::toupper(entry.entry[k]) == kNames[i][k];
        if (!same) continue;
        char value[24] = {};
        std::memcpy(value, entry.entry + name, entry.length - name);
        loops[i] = CommentFrame(value);
    }
}

void MetadataCallback(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* context)
{
    FlacDecoder* decoder = Of(context);
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
        const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
        decoder->infoSeen = true;
        decoder->bits = int32_t(info.bits_per_sample);
        decoder->blockCapacity = int32_t(info.max_blocksize);
        decoder->base.format.channels = int32_t(info.channels);
        decoder->base.format.rate = int32_t(info.sample_rate);
        decoder->base.format.frames = int64_t(info.total_samples);
    } else if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        const FLAC__StreamMetadata_VorbisComment& comments = metadata->data.vorbis_comment;
        for (FLAC__uint32 i = 0; i < comments.num_comments; ++i) NoteLoopComment(comments.comments[i], decoder->loops);
    }
}

void ErrorCallback(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* context)
{
    Of(context)->damaged = true;
}

constexpr const char* kDamage = "FLACファイルのデータが壊れています\n";

int32_t ReadFlac(SoundDecoder* base, int16_t* frames, int32_t maxFrames)
{
    auto* decoder = reinterpret_cast<FlacDecoder*>(base);
    const int32_t channels = base->format.channels;
    int32_t done = 0;
    while (done < maxFrames && !decoder->atEnd) {
        if (decoder->blockRead == decoder->blockFrames) {
            if (FLAC__stream_decoder_get_state(decoder->flac) == FLAC__STREAM_DECODER_END_OF_STREAM) break;
            decoder->blockFrames = decoder->blockRead = 0;
            if (!FLAC__stream_decoder_process_single(decoder->flac) || decoder->damaged) {
                base->damage = kDamage;
                return -1;
            }
            continue;
        }
        const int32_t count = std::min(decoder->blockFrames - decoder->blockRead, maxFrames - done);
        std::memcpy(frames + size_t(done) * size_t(channels),
                    decoder->block + size_t(decoder->blockRead) * size_t(channels),
                    size_t(count) * size_t(channels) * sizeof(int16_t));
        decoder->blockRead += count;
        done += count;
    }
    return done;
}

int SeekFlac(SoundDecoder* base, int64_t frame)
{
    auto* decoder = reinterpret_cast<FlacDecoder*>(base);
    if (frame < 0 || frame > base->format.frames) return -1;
    decoder->blockFrames = decoder->blockRead = 0;
    // The library cannot seek to the very end; there is nothing there to read.
    decoder->atEnd = frame == base->format.frames;
    if (decoder->atEnd) return 0;
    // The block holding the frame arrives through the write callback, starting at the frame.
    if (FLAC__stream_decoder_seek_absolute(decoder->flac, FLAC__uint64(frame)) && !decoder->damaged) return 0;
    if (FLAC__stream_decoder_get_state(decoder->flac) == FLAC__STREAM_DECODER_SEEK_ERROR)
        FLAC__stream_decoder_flush(decoder->flac);
    decoder->blockFrames = decoder->blockRead = 0;
    return -1;
}

void CloseFlac(SoundDecoder* base)
{
    auto* decoder = reinterpret_cast<FlacDecoder*>(base);
    if (decoder->flac != nullptr) FLAC__stream_decoder_delete(decoder->flac);  // finishes it first
    if (decoder->block != nullptr) TrackedFree(decoder->block);
    TrackedFree(decoder);
}

constexpr SoundDecoderOps kFlacOps = {.read = ReadFlac, .seek = SeekFlac, .close = CloseFlac};

// The library set up over the decoder's stream, its metadata read. false when it refuses.
bool OpenLibrary(FlacDecoder* decoder)
{
    decoder->flac = FLAC__stream_decoder_new();
    if (decoder->flac == nullptr) return false;
    FLAC__stream_decoder_set_metadata_respond(decoder->flac, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (FLAC__stream_decoder_init_stream(decoder->flac, ReadCallback, SeekCallback, TellCallback, LengthCallback,
                                         EndCallback, WriteCallback, MetadataCallback, ErrorCallback,
                                         decoder) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return false;
    return FLAC__stream_decoder_process_until_end_of_metadata(decoder->flac) && decoder->infoSeen && !decoder->damaged;
}

// The stream's announced format, checked; false with a log line.
bool UsableStream(const FlacDecoder& decoder)
{
    const SoundFormat& format = decoder.base.format;
    if (!UsableSoundFormat(format.channels, format.rate)) return false;
    // A stream written without knowing its length says 0; such a sound cannot be sized.
    if (format.frames <= 0 || !PlausibleSoundLength(format.frames)) {
        LogWrite("FLACファイルの長さが分かりません\n");
        return false;
    }
    if (decoder.blockCapacity < 16 || decoder.bits < 4 || decoder.bits > 32) {
        LogWrite("FLACファイルを開けませんでした\n");
        return false;
    }
    return true;
}

}  // namespace

const SoundDecoderOps& FlacDecoderOps() { return kFlacOps; }

SoundDecoder* OpenFlacDecoder(const SoundReader& in)
{
    auto* decoder = static_cast<FlacDecoder*>(AllocSoundDecoder(sizeof(FlacDecoder)));
    if (decoder == nullptr) return nullptr;
    decoder->base.ops = &kFlacOps;
    decoder->base.in = in;
    decoder->loops[0] = decoder->loops[1] = decoder->loops[2] = -1;
    if (!OpenLibrary(decoder)) {
        CloseFlac(&decoder->base);
        LogWrite("FLACファイルを開けませんでした\n");
        return nullptr;
    }
    SoundFormat& format = decoder->base.format;
    if (!UsableStream(*decoder)) {
        CloseFlac(&decoder->base);
        return nullptr;
    }
    decoder->block = static_cast<int16_t*>(
        TrackedAlloc(decoder->blockCapacity * format.channels * int32_t(sizeof(int16_t)), __FILE__, __LINE__));
    if (decoder->block == nullptr) {
        CloseFlac(&decoder->base);
        LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
        return nullptr;
    }
    SetCommentLoopPoints(decoder->loops[0], decoder->loops[1], decoder->loops[2], &format);
    return &decoder->base;
}

}  // namespace ror
