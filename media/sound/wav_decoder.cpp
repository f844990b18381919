// WAV data: a RIFF "WAVE" file with a "fmt " chunk and a "data" chunk. PCM 8-bit
// (unsigned), 16-, 24- and 32-bit, IEEE float 32-bit, mono or stereo, at any rate.
#include <algorithm>
#include <cstring>
#include <limits>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// Chunks before "data" that a file may carry ("LIST", "fact", ...) are skipped; more than
// this many is not a sound file.
constexpr int kMaxSkippedChunks = 64;
constexpr int32_t kRawBytes = 4096;

enum class Encoding : int32_t { Unsigned8, Signed16, Signed24, Signed32, Float32 };

struct WavDecoder {
    SoundDecoder base;
    Encoding encoding;
    int32_t frameBytes;  // bytes of one frame in the file
    int64_t dataStart;   // stream offset of the first frame
    int64_t frame;       // next frame to read
    uint8_t raw[kRawBytes];
};

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool ReadExactly(const SoundReader& in, void* destination, size_t bytes)
{
    return in.ops->read(destination, 1, bytes, in.stream) == bytes;
}

bool SkipBytes(const SoundReader& in, int64_t bytes)
{
    if (bytes > std::numeric_limits<int32_t>::max()) return false;
    return in.ops->seek(in.stream, int32_t(bytes), kSeekCurrent) == 0;
}

int64_t StreamEnd(const SoundReader& in)
{
    const int64_t here = in.ops->tell(in.stream);
    if (here < 0 || in.ops->seek(in.stream, 0, kSeekEnd) != 0) return -1;
    const int64_t end = in.ops->tell(in.stream);
    if (in.ops->seek(in.stream, int32_t(here), kSeekStart) != 0) return -1;
    return end;
}

int Fail(const char* line) { return LogWrite(line); }

// The "fmt " chunk's body: the encoding and frame size, or -1 with a log line.
int ReadFormat(const uint8_t* body, uint32_t size, WavDecoder* wav)
{
    if (size < 16) return Fail("WAVファイルのフォーマット情報が壊れています\n");
    uint16_t tag = Le16(body);
    const int32_t channels = Le16(body + 2);
    const uint32_t rate = Le32(body + 4);
    const int32_t blockAlign = Le16(body + 12);
    const int32_t bits = Le16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40) return Fail("WAVファイルのフォーマット情報が壊れています\n");
        tag = Le16(body + 24);  // the sub-format's first two bytes carry the plain tag
    }
    if (tag == kFormatPcm && bits == 8) {
        wav->encoding = Encoding::Unsigned8;
    } else if (tag == kFormatPcm && bits == 16) {
        wav->encoding = Encoding::Signed16;
    } else if (tag == kFormatPcm && bits == 24) {
        wav->encoding = Encoding::Signed24;
    } else if (tag == kFormatPcm && bits == 32) {
        wav->encoding = Encoding::Signed32;
    } else if (tag == kFormatFloat && bits == 32) {
        wav->encoding = Encoding::Float32;
    } else {
        return LogWriteFormat("対応していないWAVファイルの形式です(形式:%d ビット数:%d)\n", tag, bits);
    }
    if (!UsableSoundFormat(channels, rate)) return -1;
    if (blockAlign != channels * bits / 8) return Fail("WAVファイルのフォーマット情報が壊れています\n");
    wav->frameBytes = blockAlign;
    wav->base.format.channels = channels;
    wav->base.format.rate = int32_t(rate);
    return 0;
}

int32_t ReadWav(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames)
{
    auto* wav = reinterpret_cast<WavDecoder*>(decoder);
    const int32_t channels = decoder->format.channels;
    int32_t done = 0;
    while (done < maxFrames && wav->frame < decoder->format.frames) {
        const int64_t left = decoder->format.frames - wav->frame;
        const int32_t count = int32_t(std::min<int64_t>({left, maxFrames - done, kRawBytes / wav->frameBytes}));
        if (!ReadExactly(decoder->in, wav->raw, size_t(count) * size_t(wav->frameBytes))) {
            decoder->damage = "WAVファイルのデータが途中で終わっています\n";
            return -1;
        }
        int16_t* out = frames + size_t(done) * size_t(channels);
        const int32_t samples = count * channels;
        for (int32_t i = 0; i < samples; ++i) {
            switch (wav->encoding) {
            case Encoding::Unsigned8: out[i] = int16_t((wav->raw[i] - 128) << 8); break;
            case Encoding::Signed16: out[i] = int16_t(Le16(wav->raw + 2 * i)); break;
            // Wider samples keep their top 16 bits, as the mixer has no more.
            case Encoding::Signed24: out[i] = int16_t(Le16(wav->raw + 3 * i + 1)); break;
            case Encoding::Signed32: out[i] = int16_t(Le16(wav->raw + 4 * i + 2)); break;
            case Encoding::Float32: {
                float value;
                const uint32_t bitsOfValue = Le32(wav->raw + 4 * i);
                std::memcpy(&value, &bitsOfValue, 4);
                if (!(value == value)) value = 0.0f;  // not a number: silence
                out[i] = int16_t(std::clamp(value * 32768.0f, -32768.0f, 32767.0f));
                break;
            }
            }
        }
        done += count;
        wav->frame += count;
    }
    return done;
}

int SeekWav(SoundDecoder* decoder, int64_t frame)
{
    auto* wav = reinterpret_cast<WavDecoder*>(decoder);
    if (frame < 0 || frame > decoder->format.frames) return -1;
    const int64_t offset = wav->dataStart + frame * wav->frameBytes;
    if (offset > std::numeric_limits<int32_t>::max()) return -1;
    if (decoder->in.ops->seek(decoder->in.stream, int32_t(offset), kSeekStart) != 0) return -1;
    wav->frame = frame;
    return 0;
}

void CloseWav(SoundDecoder* decoder) { TrackedFree(decoder); }

constexpr SoundDecoderOps kWavOps = {.read = ReadWav, .seek = SeekWav, .close = CloseWav};

// Walks the chunks up to "data"; 0 with the decoder ready at the first frame, else -1.
int ReadChunks(WavDecoder* wav)
{
    const SoundReader& in = wav->base.in;
    uint8_t header[12];
    if (!ReadExactly(in, header, 12) || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return Fail("WAVファイルではありません\n");
    const int64_t end = StreamEnd(in);
    bool formatSeen = false;
    for (int chunk = 0; chunk < kMaxSkippedChunks; ++chunk) {
        uint8_t chunkHeader[8];
        if (!ReadExactly(in, chunkHeader, 8)) return Fail("WAVファイルにデータが見つかりません\n");
        const bool isData = std::memcmp(chunkHeader, "data", 4) == 0;
        uint32_t size = Le32(chunkHeader + 4);
        const int64_t here = in.ops->tell(in.stream);
        if (here < 0) return Fail("WAVファイルが壊れています\n");
        const bool cut = end >= 0 && int64_t(size) > end - here;
        // A recording that was cut off or never finished claims more data than the file
        // holds; its whole frames still play.
        if (cut && !isData) return Fail("WAVファイルのチャンクがファイルの大きさを超えています\n");
        if (cut) size = uint32_t(end - here);
        if (std::memcmp(chunkHeader, "fmt ", 4) == 0) {
            uint8_t body[40] = {};
            const uint32_t kept = std::min<uint32_t>(size, sizeof body);
            if (!ReadExactly(in, body, kept) || ReadFormat(body, size, wav) != 0) return -1;
            if (!SkipBytes(in, int64_t(size - kept) + (size & 1))) return Fail("WAVファイルが壊れています\n");
            formatSeen = true;
        } else if (isData) {
            if (!formatSeen) return Fail("WAVファイルのフォーマット情報がありません\n");
            // Without one whole frame there is nothing to play: silence would pass for sound.
            if (size < uint32_t(wav->frameBytes)) return Fail("WAVファイルのデータに1フレーム分もありません\n");
            wav->dataStart = here;
            wav->base.format.frames = size / uint32_t(wav->frameBytes);
            if (cut)
                LogWriteFormat("WAVファイルのデータが途中で終わっています。含まれる %lld フレームを再生します\n",
                               static_cast<long long>(wav->base.format.frames));
            wav->base.format.loopStart = 0;
            wav->base.format.loopEnd = wav->base.format.frames;
            return 0;
        } else if (!SkipBytes(in, int64_t(size) + (size & 1))) {
            return Fail("WAVファイルが壊れています\n");
        }
    }
    return Fail("WAVファイルにデータが見つかりません\n");
}

}  // namespace

const SoundDecoderOps& WavDecoderOps() { return kWavOps; }

SoundDecoder* OpenWavDecoder(const SoundReader& in)
{
    auto* wav = static_cast<WavDecoder*>(TrackedAllocZeroed(int32_t(sizeof(WavDecoder)), __FILE__, __LINE__));
    if (wav == nullptr) {
        LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
        return nullptr;
    }
    wav->base.ops = &kWavOps;
    wav->base.in = in;
    if (ReadChunks(wav) != 0) {
        TrackedFree(wav);
        return nullptr;
    }
    return &wav->base;
}

}  // namespace ror
