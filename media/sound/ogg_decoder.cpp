// Ogg Vorbis data through the platform's Vorbis decoder, which reads the layer's stream.
#include <limits>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/vorbis_file.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

struct OggDecoder {
    SoundDecoder base;
    VorbisFile* vorbis;
};

size_t ReadStream(void* context, void* destination, size_t bytes)
{
    const auto* in = static_cast<const SoundReader*>(context);
    return in->ops->read(destination, 1, bytes, in->stream);
}

int SeekStream(void* context, int64_t offset, int origin)
{
    const auto* in = static_cast<const SoundReader*>(context);
    if (offset < std::numeric_limits<int32_t>::min() || offset > std::numeric_limits<int32_t>::max()) return -1;
    return in->ops->seek(in->stream, int32_t(offset), origin) == 0 ? 0 : -1;
}

int64_t TellStream(void* context)
{
    const auto* in = static_cast<const SoundReader*>(context);
    return in->ops->tell(in->stream);
}

int32_t ReadOgg(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames)
{
    const int32_t count = ReadVorbisFrames(reinterpret_cast<OggDecoder*>(decoder)->vorbis, frames, maxFrames);
    if (count < 0) decoder->damage = "Ogg Vorbisのデータが壊れています\n";
    return count;
}

int SeekOgg(SoundDecoder* decoder, int64_t frame)
{
    return SeekVorbisFrame(reinterpret_cast<OggDecoder*>(decoder)->vorbis, frame);
}

void CloseOgg(SoundDecoder* decoder)
{
    CloseVorbisFile(reinterpret_cast<OggDecoder*>(decoder)->vorbis);
    TrackedFree(decoder);
}

constexpr SoundDecoderOps kOggOps = {.read = ReadOgg, .seek = SeekOgg, .close = CloseOgg};

// Loop points from the piece's comments: LOOPSTART with LOOPLENGTH or LOOPEND, in frames.
// Points outside the piece are ignored.
void SetLoopPoints(const VorbisInfo& info, SoundFormat* format)
{
    format->loopStart = 0;
    format->loopEnd = format->frames;
    if (info.loopStart < 0 || info.loopStart >= format->frames) return;
    int64_t end = format->frames;
    if (info.loopLength > 0)
        end = info.loopStart + info.loopLength;
    else if (info.loopEnd > info.loopStart)
        end = info.loopEnd;
    if (end <= info.loopStart || end > format->frames) return;
    format->loopStart = info.loopStart;
    format->loopEnd = end;
}

}  // namespace

const SoundDecoderOps& OggDecoderOps() { return kOggOps; }

SoundDecoder* OpenOggDecoder(const SoundReader& in)
{
    auto* ogg = static_cast<OggDecoder*>(TrackedAllocZeroed(int32_t(sizeof(OggDecoder)), __FILE__, __LINE__));
    if (ogg == nullptr) {
        LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
        return nullptr;
    }
    ogg->base.ops = &kOggOps;
    ogg->base.in = in;
    VorbisInfo info{};
    // The decoder keeps the reader's address: the record's own copy lives as long as it.
    ogg->vorbis =
        OpenVorbisFile({.context = &ogg->base.in, .read = ReadStream, .seek = SeekStream, .tell = TellStream}, &info);
    if (ogg->vorbis == nullptr) {
        TrackedFree(ogg);
        LogWrite("Ogg Vorbisファイルを開けませんでした\n");
        return nullptr;
    }
    // A length from a damaged last page can be anything; a day of sound is plenty.
    const bool lengthKnown = info.frames >= 0 && info.frames <= int64_t(kMaxSoundRate) * 86400;
    if (!UsableSoundFormat(info.channels, info.rate) || !lengthKnown) {
        if (!lengthKnown) LogWrite("Ogg Vorbisファイルの長さが分かりません\n");
        CloseOgg(&ogg->base);
        return nullptr;
    }
    ogg->base.format.channels = info.channels;
    ogg->base.format.rate = info.rate;
    ogg->base.format.frames = info.frames;
    SetLoopPoints(info, &ogg->base.format);
    return &ogg->base;
}

}  // namespace ror
