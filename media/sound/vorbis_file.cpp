#include "sound/vorbis_file.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

#include "core/tracked_memory.h"
#include "sound/sound_decoder.h"

namespace ror {

struct VorbisFile {
    OggVorbis_File vorbis;
    VorbisReader reader;
    int32_t channels;
};

namespace {

size_t ReadCallback(void* destination, size_t size, size_t count, void* source)
{
    const auto* file = static_cast<VorbisFile*>(source);
    if (size == 0 || count == 0) return 0;
    return file->reader.read(file->reader.context, destination, size * count) / size;
}

int SeekCallback(void* source, ogg_int64_t offset, int origin)
{
    const auto* file = static_cast<VorbisFile*>(source);
    return file->reader.seek(file->reader.context, offset, origin);
}

long TellCallback(void* source)
{
    const auto* file = static_cast<VorbisFile*>(source);
    return long(file->reader.tell(file->reader.context));
}

// A comment "NAME=123" as a frame number, or -1.
int64_t CommentFrameOf(vorbis_comment* comments, const char* name)
{
    return comments != nullptr ? CommentFrame(vorbis_comment_query(comments, name, 0)) : -1;
}

}  // namespace

VorbisFile* OpenVorbisFile(const VorbisReader& reader, VorbisInfo* info)
{
    auto* file = static_cast<VorbisFile*>(TrackedAllocZeroed(int32_t(sizeof(VorbisFile)), __FILE__, __LINE__));
    if (file == nullptr) return nullptr;
    file->reader = reader;
    const ov_callbacks callbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};
    // On failure the library has already cleared what it set up.
    if (ov_open_callbacks(file, &file->vorbis, nullptr, 0, callbacks) != 0) {
        TrackedFree(file);
        return nullptr;
    }
    const vorbis_info* stream = ov_info(&file->vorbis, -1);
    if (stream == nullptr) {
        CloseVorbisFile(file);
        return nullptr;
    }
    file->channels = stream->channels;
    info->channels = stream->channels;
    info->rate = int32_t(stream->rate);
    const ogg_int64_t total = ov_pcm_total(&file->vorbis, -1);
    info->frames = total >= 0 ? int64_t(total) : -1;
    vorbis_comment* comments = ov_comment(&file->vorbis, -1);
    info->loopStart = CommentFrameOf(comments, "LOOPSTART");
    info->loopLength = CommentFrameOf(comments, "LOOPLENGTH");
    info->loopEnd = CommentFrameOf(comments, "LOOPEND");
    return file;
}

int32_t ReadVorbisFrames(VorbisFile* file, int16_t* frames, int32_t maxFrames)
{
    const int32_t frameBytes = 2 * file->channels;
    char* out = reinterpret_cast<char*>(frames);
    int32_t bytes = 0;
    const int32_t wanted = maxFrames * frameBytes;
    while (bytes < wanted) {
        int link = 0;
        const long got = ov_read(&file->vorbis, out + bytes, wanted - bytes, 0, 2, 1, &link);
        if (got == OV_HOLE) continue;  // a gap in the data: go on after it
        if (got < 0) return -1;
        if (got == 0) break;
        // A chained piece whose next part has another channel count is not one sound.
        const vorbis_info* part = ov_info(&file->vorbis, link);
        if (part == nullptr || part->channels != file->channels) return -1;
        bytes += int32_t(got);
    }
    return bytes / frameBytes;
}

int SeekVorbisFrame(VorbisFile* file, int64_t frame) { return ov_pcm_seek(&file->vorbis, frame) == 0 ? 0 : -1; }

void CloseVorbisFile(VorbisFile* file)
{
    if (file == nullptr) return;
    ov_clear(&file->vorbis);
    TrackedFree(file);
}

}  // namespace ror
