// Ogg Vorbis data through the platform's Vorbis decoder, which reads the layer's stream.
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
    return ReadSoundBytes(*static_cast<const SoundReader*>(context), destination, bytes);
}

int SeekStream(void* context, int64_t offset, int origin)
{
    return SeekSoundBytes(*static_cast<const SoundReader*>(context), offset, origin);
}

int64_t TellStream(void* context) { return TellSoundBytes(*static_cast<const SoundReader*>(context)); }

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

}  // namespace

const SoundDecoderOps& OggDecoderOps() { return kOggOps; }

SoundDecoder* OpenOggDecoder(const SoundReader& in)
{
    auto* ogg = static_cast<OggDecoder*>(AllocSoundDecoder(sizeof(OggDecoder)));
    if (ogg == nullptr) return nullptr;
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
    // A length from a damaged last page can be anything.
    const bool lengthKnown = PlausibleSoundLength(info.frames);
    if (!UsableSoundFormat(info.channels, info.rate) || !lengthKnown) {
        if (!lengthKnown) LogWrite("Ogg Vorbisファイルの長さが分かりません\n");
        CloseOgg(&ogg->base);
        return nullptr;
    }
    ogg->base.format.channels = info.channels;
    ogg->base.format.rate = info.rate;
    ogg->base.format.frames = info.frames;
    SetCommentLoopPoints(info.loopStart, info.loopLength, info.loopEnd, &ogg->base.format);
    return &ogg->base;
}

}  // namespace ror
