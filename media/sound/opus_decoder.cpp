// Ogg Opus data through libopusfile, which reads the layer's stream through callbacks.
// Opus always decodes at 48000 Hz; the length leaves out the encoder's pre-skip, and seeks
// land on the frame.
#include <opus/opusfile.h>

#include <algorithm>
#include <limits>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

constexpr int32_t kOpusRate = 48000;

struct OpusFileDecoder {
    SoundDecoder base;
    OggOpusFile* opus;
    bool atEnd;  // sought to the very end
};

int ReadCallback(void* context, unsigned char* destination, int bytes)
{
    if (bytes <= 0) return 0;
    return int(ReadSoundBytes(*static_cast<const SoundReader*>(context), destination, size_t(bytes)));
}

int SeekCallback(void* context, opus_int64 offset, int origin)
{
    return SeekSoundBytes(*static_cast<const SoundReader*>(context), offset, origin);
}

opus_int64 TellCallback(void* context) { return TellSoundBytes(*static_cast<const SoundReader*>(context)); }

int32_t ReadOpus(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames)
{
    auto* file = reinterpret_cast<OpusFileDecoder*>(decoder);
    OggOpusFile* opus = file->opus;
    if (file->atEnd) return 0;
    const int32_t channels = decoder->format.channels;
    int32_t done = 0;
    while (done < maxFrames) {
        const int64_t values = int64_t(maxFrames - done) * channels;
        const int wanted = int(std::min<int64_t>(values, std::numeric_limits<int>::max() / 2));
        int link = 0;
        const int got = op_read(opus, frames + size_t(done) * size_t(channels), wanted, &link);
        if (got == OP_HOLE) continue;  // a gap in the data: go on after it
        // A chained piece whose next part has another channel count is not one sound.
        if (got < 0 || (got > 0 && op_channel_count(opus, link) != channels)) {
            decoder->damage = "Opusファイルのデータが壊れています\n";
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

int SeekOpus(SoundDecoder* decoder, int64_t frame)
{
    auto* file = reinterpret_cast<OpusFileDecoder*>(decoder);
    if (frame < 0 || frame > decoder->format.frames) return -1;
    // The library cannot seek to the very end; there is nothing there to read.
    file->atEnd = frame == decoder->format.frames;
    if (file->atEnd) return 0;
    return op_pcm_seek(file->opus, frame) == 0 ? 0 : -1;
}

void CloseOpus(SoundDecoder* decoder)
{
    auto* file = reinterpret_cast<OpusFileDecoder*>(decoder);
    if (file->opus != nullptr) op_free(file->opus);
    TrackedFree(decoder);
}

constexpr SoundDecoderOps kOpusOps = {.read = ReadOpus, .seek = SeekOpus, .close = CloseOpus};

int64_t TagFrame(const OpusTags* tags, const char* name)
{
    return tags != nullptr ? CommentFrame(opus_tags_query(tags, name, 0)) : -1;
}

}  // namespace

const SoundDecoderOps& OpusDecoderOps() { return kOpusOps; }

SoundDecoder* OpenOpusDecoder(const SoundReader& in)
{
    auto* file = static_cast<OpusFileDecoder*>(AllocSoundDecoder(sizeof(OpusFileDecoder)));
    if (file == nullptr) return nullptr;
    file->base.ops = &kOpusOps;
    file->base.in = in;
    const OpusFileCallbacks callbacks = {ReadCallback, SeekCallback, TellCallback, nullptr};
    int error = 0;
    // The library keeps the reader's address: the record's own copy lives as long as it.
    file->opus = op_open_callbacks(&file->base.in, &callbacks, nullptr, 0, &error);
    const OpusHead* head = file->opus != nullptr ? op_head(file->opus, 0) : nullptr;
    if (head == nullptr) {
        CloseOpus(&file->base);
        LogWrite("Opusファイルを開けませんでした\n");
        return nullptr;
    }
    const int64_t frames = op_pcm_total(file->opus, -1);
    if (!UsableSoundFormat(head->channel_count, kOpusRate) || !PlausibleSoundLength(frames) || frames == 0) {
        if (!PlausibleSoundLength(frames) || frames == 0) LogWrite("Opusファイルの長さが分かりません\n");
        CloseOpus(&file->base);
        return nullptr;
    }
    SoundFormat& format = file->base.format;
    format.channels = head->channel_count;
    format.rate = kOpusRate;
    format.frames = frames;
    const OpusTags* tags = op_tags(file->opus, 0);
    SetCommentLoopPoints(TagFrame(tags, "LOOPSTART"), TagFrame(tags, "LOOPLENGTH"), TagFrame(tags, "LOOPEND"), &format);
    return &file->base;
}

}  // namespace ror
