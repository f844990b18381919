// libFuzzer target: the WAV parser and the Ogg Vorbis, MP3, FLAC, Opus and MIDI paths over a memory
// block, the way a sound is loaded: every frame read in blocks, a seek back and a few more frames read.
#include "core/tracked_memory.h"
#include "file/file_access.h"
#include "sound/sound_decoder.h"

#include <cstddef>
#include <cstdint>

using namespace ror;

namespace {

const StreamOps kMemoryOps = {TellMemoryStream,  SeekMemoryStream, ReadMemoryStream,
                              MemoryStreamAtEnd, MemoryStreamIdle, CloseMemoryStream};
int16_t Frames[2 * 4096];

}  // namespace

// libvorbisfile 1.3.7 loses 8 bytes when it refuses a file whose first pages open two Vorbis
// streams (tools/fuzz/corpus/sound/vorbis-two-streams-leak); the loss is the library's, inside
// ov_open_callbacks, which clears the rest itself. Leaks anywhere else still fail.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    MemoryStream* stream = OpenMemoryStream(data, int32_t(size));
    if (stream == nullptr) __builtin_trap();
    const SoundReader reader = {&kMemoryOps, reinterpret_cast<StreamValue>(stream)};
    SoundDecoder* decoder = OpenSoundDecoder(reader);
    if (decoder != nullptr) {
        const SoundFormat format = decoder->format;
        if (format.channels < 1 || format.channels > kMaxSoundChannels || format.frames < 0 || format.loopStart < 0 ||
            format.loopEnd > format.frames)
            __builtin_trap();
        // Read up to the claimed length, as the loaders do; a claim far past what the bytes
        // hold ends where the data ends. A few bytes of MIDI can last hours of silence: the
        // first minute tells.
        for (int64_t total = 0; total < format.frames && total < int64_t(60) * 44100;) {
            const int32_t got = decoder->ops->read(decoder, Frames, 4096 / format.channels);
            if (got <= 0) break;
            if (got > 4096 / format.channels) __builtin_trap();
            total += got;
        }
        if (decoder->ops->seek(decoder, format.frames / 2) == 0) decoder->ops->read(decoder, Frames, 100);
        decoder->ops->close(decoder);
    }
    CloseMemoryStream(reinterpret_cast<StreamValue>(stream));
    if (TrackedAllocationCount() != 0) __builtin_trap();
    return 0;
}
