#include "sound/sound_decoder.h"
#include "rorodiv.h"

#include <cstring>

#include "core/app_log.h"

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

SoundDecoder* OpenSoundDecoder(const SoundReader& in)
{
    char magic[4] = {};
    const int64_t start = in.ops->tell(in.stream);
    const size_t got = in.ops->read(magic, 1, 4, in.stream);
    if (start < 0 || in.ops->seek(in.stream, int32_t(start), kSeekStart) != 0 || got != 4) {
        LogWrite("サウンドファイルが短すぎます\n");
        return nullptr;
    }
    if (std::memcmp(magic, "RIFF", 4) == 0) return OpenWavDecoder(in);
    if (std::memcmp(magic, "OggS", 4) == 0) return OpenOggDecoder(in);
    if (std::memcmp(magic, "MThd", 4) == 0) return OpenMidiDecoder(in);
    LogWrite("対応していないサウンドファイルの形式です\n");
    return nullptr;
}

}  // namespace ror
