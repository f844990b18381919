#include "sound/sound_decoder.h"
#include "rorodiv.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/app_log.h"
#include "core/tracked_memory.h"

namespace ror {

bool UsableSoundFormat(int32_t channels, int64_t rate)
{
    if (channels < 1 || channels > kMaxSoundChannels) {
        LogWriteFormat("対応していないチャンネル数です(%d)\n", channels);
        return false;
    }
    if (rate < kMinSoundRate || rate > kMaxSoundRate) {
        LogWriteFormat("対応していないサンプリングレートです(%lld)\n", static_cast<long long>(rate));
        return false;
    }
    return true;
}

bool PlausibleSoundLength(int64_t frames) { return frames >= 0 && frames <= int64_t(kMaxSoundRate) * 86400; }

void* AllocSoundDecoder(size_t bytes)
{
    void* record = TrackedAllocZeroed(int32_t(bytes), __FILE__, __LINE__);
    if (record == nullptr) LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
    return record;
}

size_t ReadSoundBytes(const SoundReader& in, void* destination, size_t bytes)
{
    return in.ops->read(destination, 1, bytes, in.stream);
}

int SeekSoundBytes(const SoundReader& in, int64_t offset, int origin)
{
    if (offset < std::numeric_limits<int32_t>::min() || offset > std::numeric_limits<int32_t>::max()) return -1;
    return in.ops->seek(in.stream, int32_t(offset), origin) == 0 ? 0 : -1;
}

int64_t TellSoundBytes(const SoundReader& in) { return in.ops->tell(in.stream); }

int64_t SoundBytesLength(const SoundReader& in)
{
    const int64_t here = in.ops->tell(in.stream);
    if (here < 0 || in.ops->seek(in.stream, 0, kSeekEnd) != 0) return -1;
    const int64_t end = in.ops->tell(in.stream);
    if (SeekSoundBytes(in, here, kSeekStart) != 0) return -1;
    return end;
}

int64_t CommentFrame(const char* value)
{
    if (value == nullptr) return -1;
    char* end = nullptr;
    const long long frame = std::strtoll(value, &end, 10);
    if (end == value || frame < 0) return -1;
    return frame;
}

void SetCommentLoopPoints(int64_t start, int64_t length, int64_t end, SoundFormat* format)
{
    format->loopStart = 0;
    format->loopEnd = format->frames;
    if (start < 0 || start >= format->frames) return;
    int64_t last = format->frames;
    if (length > 0)
        last = start + length;
    else if (end > start)
        last = end;
    if (last <= start || last > format->frames) return;
    format->loopStart = start;
    format->loopEnd = last;
}

namespace {

// Which Ogg codec the first page carries: its first packet names it.
SoundDecoder* OpenOggOf(const SoundReader& in, int64_t start)
{
    uint8_t page[27 + 255 + 8] = {};
    const size_t got = ReadSoundBytes(in, page, sizeof page);
    if (SeekSoundBytes(in, start, kSeekStart) != 0) {
        LogWrite("サウンドファイルが短すぎます\n");
        return nullptr;
    }
    const size_t packet = 27 + size_t(page[26]);
    if (got >= packet + 8 && std::memcmp(page + packet, "OpusHead", 8) == 0) return OpenOpusDecoder(in);
    return OpenOggDecoder(in);
}

// An ID3v2 tag's size with its header, from its first 10 bytes.
int64_t Id3TagBytes(const uint8_t* header)
{
    const int64_t body = (int64_t(header[6] & 0x7F) << 21) | (int64_t(header[7] & 0x7F) << 14) |
                         (int64_t(header[8] & 0x7F) << 7) | int64_t(header[9] & 0x7F);
    return 10 + body + ((header[5] & 0x10) != 0 ? 10 : 0);  // a footer follows when flagged
}

// An MPEG audio frame header's first two bytes: the sync bits, a version and a layer.
bool MpegFrameStart(const uint8_t* bytes)
{
    return bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0 && (bytes[1] & 0x18) != 0x08 && (bytes[1] & 0x06) != 0;
}

}  // namespace

SoundDecoder* OpenSoundDecoder(const SoundReader& in)
{
    uint8_t magic[10] = {};
    const int64_t start = in.ops->tell(in.stream);
    const size_t got = ReadSoundBytes(in, magic, sizeof magic);
    if (start < 0 || SeekSoundBytes(in, start, kSeekStart) != 0 || got < 4) {
        LogWrite("サウンドファイルが短すぎます\n");
        return nullptr;
    }
    if (std::memcmp(magic, "RIFF", 4) == 0) return OpenWavDecoder(in);
    if (std::memcmp(magic, "OggS", 4) == 0) return OpenOggOf(in, start);
    if (std::memcmp(magic, "fLaC", 4) == 0) return OpenFlacDecoder(in);
    if (got == sizeof magic && std::memcmp(magic, "ID3", 3) == 0) {
        // A tag before the data: FLAC may carry one too, and its decoder skips it.
        char after[4] = {};
        const bool flac = SeekSoundBytes(in, start + Id3TagBytes(magic), kSeekStart) == 0 &&
                          ReadSoundBytes(in, after, 4) == 4 && std::memcmp(after, "fLaC", 4) == 0;
        if (SeekSoundBytes(in, start, kSeekStart) != 0) return nullptr;
        return flac ? OpenFlacDecoder(in) : OpenMp3Decoder(in);
    }
    if (MpegFrameStart(magic)) return OpenMp3Decoder(in);
    if (std::memcmp(magic, "MThd", 4) == 0) return OpenMidiDecoder(in);
    LogWrite("対応していないサウンドファイルの形式です\n");
    return nullptr;
}

}  // namespace ror
