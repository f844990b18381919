// Loading sounds into sound handles, and deleting them.
#include <algorithm>
#include <cstring>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "core/last_failure.h"

namespace ror {

namespace {

// Decodes the whole sound into one tracked block; null with a log line.
int16_t* DecodeWhole(SoundDecoder* decoder, int64_t bytes)
{
    auto* samples = static_cast<int16_t*>(TrackedAlloc(int32_t(bytes > 0 ? bytes : 1), __FILE__, __LINE__));
    if (samples == nullptr) {
        LogWrite("サウンドデータを格納するメモリの確保に失敗しました\n");
        return nullptr;
    }
    SoundFormat& format = decoder->format;
    int64_t frames = 0;
    while (frames < format.frames) {
        const int64_t wanted = std::min<int64_t>(format.frames - frames, 1 << 16);
        const int32_t count = decoder->ops->read(decoder, samples + frames * format.channels, int32_t(wanted));
        if (count < 0) {
            LogWrite(decoder->damage);
            TrackedFree(samples);
            return nullptr;
        }
        if (count == 0) break;  // the data ends before the length it claimed
        frames += count;
    }
    format.frames = frames;
    format.loopEnd = std::min(format.loopEnd, frames);
    if (format.loopStart >= format.loopEnd) format.loopStart = 0;
    return samples;
}

void FreeRecord(SoundRecord* sound)
{
    if (sound->samples != nullptr) TrackedFree(sound->samples);
    CloseSharedFrames(sound->shared);
    if (sound->source.path != nullptr) TrackedFree(const_cast<char*>(sound->source.path));
    if (sound->source.data != nullptr) TrackedFree(const_cast<uint8_t*>(sound->source.data));
    TrackedFree(sound);
}

// Reads the sound from `reader` (which stays the caller's) into a new handle. A long sound
// keeps its source: the path, or a copy of the memory block.
int LoadFrom(const SoundReader& reader, const char* path, const void* data, int32_t size)
{
    const int32_t slot = FreeSoundSlot(SoundTables.sounds, "サウンド");
    if (slot < 0) return -1;
    SoundDecoder* decoder = OpenSoundDecoder(reader);
    if (decoder == nullptr) return -1;
    auto* sound = static_cast<SoundRecord*>(TrackedAllocZeroed(int32_t(sizeof(SoundRecord)), __FILE__, __LINE__));
    if (sound == nullptr) {
        decoder->ops->close(decoder);
        return LogWrite("サウンドハンドルのメモリ確保に失敗しました\n");
    }
    sound->format = decoder->format;
    sound->volume = 255;
    const int64_t bytes = decoder->format.frames * decoder->format.channels * int64_t(sizeof(int16_t));
    bool loaded = false;
    if (bytes <= kStreamThresholdBytes) {
        sound->samples = DecodeWhole(decoder, bytes);
        sound->format = decoder->format;
        loaded = sound->samples != nullptr;
    } else if (path != nullptr) {
        // Its plays decode from the bytes in memory: no file is opened again for a play, and
        // the stream thread reads nothing but memory.
        loaded = LoadSourceBytes(path, &sound->source) == 0;
    } else {
        auto* copy = static_cast<uint8_t*>(TrackedAlloc(size, __FILE__, __LINE__));
        if (copy != nullptr) std::memcpy(copy, data, size_t(size));
        sound->source = {nullptr, copy, size};
        loaded = copy != nullptr;
    }
    decoder->ops->close(decoder);
    if (!loaded) {
        FreeRecord(sound);
        return -1;
    }
    sound->header.check = StampCheck(SoundTables.sounds);
    sound->header.handle = MakeHandle(HandleKind::Sound, slot, sound->header.check);
    SoundTables.soundSlots[slot] = &sound->header;
    return sound->header.handle;
}

}  // namespace

}  // namespace ror

using namespace ror;

int LoadSound(const char* path)
{
    if (path == nullptr) return FailedArgument(__func__);
    const uint32_t mark = FailureMark();
    SoundReader reader{};
    int32_t isFile = 0;
    if (OpenSourceReader({path, nullptr, 0}, &reader, &isFile) != 0)
        return FailedSince(mark, FAILURE_NO_SUCH_FILE, __func__);
    const int handle = LoadFrom(reader, path, nullptr, 0);
    CloseSourceReader(reader);
    return handle != -1 ? handle : FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
}

int LoadSoundFromMemory(const void* data, int32_t size)
{
    if (data == nullptr || size <= 0) return LogWrite("サウンドデータがありません\n");
    SoundReader reader{};
    int32_t isFile = 0;
    const uint32_t mark = FailureMark();
    if (OpenSourceReader({nullptr, static_cast<const uint8_t*>(data), size}, &reader, &isFile) != 0)
        return FailedSince(mark, FAILURE_OUT_OF_MEMORY, __func__);
    const int handle = LoadFrom(reader, nullptr, data, size);
    CloseSourceReader(reader);
    return handle != -1 ? handle : FailedSince(mark, FAILURE_DAMAGED_DATA, __func__);
}

int DeleteSound(int handle)
{
    SoundRecord* sound = ResolveSound(handle);
    if (sound == nullptr) return FailedHandle(__func__, handle);
    StopVoicesOf(handle);
    SoundTables.soundSlots[HandleIndex(handle)] = nullptr;
    FreeRecord(sound);
    return 0;
}
