// MP3 data (MPEG-1, 2 and 2.5 layer III, and layers I and II) through libmpg123, which
// reads the layer's stream through a reader handle. The whole stream is scanned at opening,
// so the length is exact (encoder delay and padding left out) and seeks land on the frame.
#include <mpg123.h>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

struct Mp3Decoder {
    SoundDecoder base;
    mpg123_handle* mpg;
};

mpg123_ssize_t ReadCallback(void* context, void* destination, size_t bytes)
{
    return mpg123_ssize_t(ReadSoundBytes(*static_cast<const SoundReader*>(context), destination, bytes));
}

off_t SeekCallback(void* context, off_t offset, int origin)
{
    const auto* in = static_cast<const SoundReader*>(context);
    if (SeekSoundBytes(*in, offset, origin) != 0) return -1;
    return off_t(TellSoundBytes(*in));
}

constexpr const char* kDamage = "MP3ファイルのデータが壊れています\n";

int32_t ReadMp3(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames)
{
    auto* mp3 = reinterpret_cast<Mp3Decoder*>(decoder);
    const size_t frameBytes = size_t(decoder->format.channels) * sizeof(int16_t);
    const size_t wanted = size_t(maxFrames) * frameBytes;
    auto* out = reinterpret_cast<unsigned char*>(frames);
    size_t total = 0;
    while (total < wanted) {
        size_t done = 0;
        const int result = mpg123_read(mp3->mpg, out + total, wanted - total, &done);
        total += done;
        if (result == MPG123_DONE) break;
        if (result == MPG123_NEW_FORMAT) {
            // A later part of another rate or channel count is not one sound.
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(mp3->mpg, &rate, &channels, &encoding);
            if (rate == decoder->format.rate && channels == decoder->format.channels) continue;
        } else if (result == MPG123_OK && done > 0) {
            continue;
        }
        decoder->damage = kDamage;
        return -1;
    }
    return int32_t(total / frameBytes);
}

int SeekMp3(SoundDecoder* decoder, int64_t frame)
{
    if (frame < 0 || frame > decoder->format.frames) return -1;
    return mpg123_seek(reinterpret_cast<Mp3Decoder*>(decoder)->mpg, off_t(frame), kSeekStart) == frame ? 0 : -1;
}

void CloseMp3(SoundDecoder* decoder)
{
    auto* mp3 = reinterpret_cast<Mp3Decoder*>(decoder);
    if (mp3->mpg != nullptr) mpg123_delete(mp3->mpg);  // closes the reader too
    TrackedFree(decoder);
}

constexpr SoundDecoderOps kMp3Ops = {.read = ReadMp3, .seek = SeekMp3, .close = CloseMp3};

// The library set to decode to signed 16 bits at the data's own rate and channels, quietly,
// without gaps, and reading the decoder's stream. false when it refuses.
bool SetUpLibrary(Mp3Decoder* mp3)
{
    mpg123_handle* mpg = mp3->mpg;
    if (mpg123_param(mpg, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) != MPG123_OK) return false;
    if (mpg123_format_none(mpg) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        if (mpg123_format(mpg, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) return false;
    if (mpg123_replace_reader_handle(mpg, ReadCallback, SeekCallback, nullptr) != MPG123_OK) return false;
    // The library keeps the reader's address: the record's own copy lives as long as it.
    return mpg123_open_handle(mpg, &mp3->base.in) == MPG123_OK;
}

}  // namespace

const SoundDecoderOps& Mp3DecoderOps() { return kMp3Ops; }

SoundDecoder* OpenMp3Decoder(const SoundReader& in)
{
    // Before version 1.27 the library wanted this once; now it does nothing. C++ makes the
    // first call thread-safe.
    static const int libraryReady = mpg123_init();
    auto* mp3 = static_cast<Mp3Decoder*>(AllocSoundDecoder(sizeof(Mp3Decoder)));
    if (mp3 == nullptr) return nullptr;
    mp3->base.ops = &kMp3Ops;
    mp3->base.in = in;
    int error = MPG123_OK;
    mp3->mpg = libraryReady == MPG123_OK ? mpg123_new(nullptr, &error) : nullptr;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mp3->mpg == nullptr || !SetUpLibrary(mp3) ||
        mpg123_getformat(mp3->mpg, &rate, &channels, &encoding) != MPG123_OK || mpg123_scan(mp3->mpg) != MPG123_OK) {
        CloseMp3(&mp3->base);
        LogWrite("MP3ファイルを開けませんでした\n");
        return nullptr;
    }
    const int64_t frames = mpg123_length(mp3->mpg);
    if (!UsableSoundFormat(channels, rate) || !PlausibleSoundLength(frames) || frames == 0) {
        if (!PlausibleSoundLength(frames) || frames == 0) LogWrite("MP3ファイルの長さが分かりません\n");
        CloseMp3(&mp3->base);
        return nullptr;
    }
    SoundFormat& format = mp3->base.format;
    format.channels = channels;
    format.rate = int32_t(rate);
    format.frames = frames;
    format.loopStart = 0;
    format.loopEnd = frames;
    return &mp3->base;
}

}  // namespace ror
