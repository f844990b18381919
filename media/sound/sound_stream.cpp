#include "sound/sound_stream.h"
#include "rorodiv.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "platform/system/event.h"
#include "platform/system/thread.h"
#include "sound/sound_mixer.h"

namespace ror {

namespace {

// A stream per voice, and one more opened for a play before the one it displaces closes.
constexpr int32_t kOpenStreamLimit = kVoiceLimit + 2;

// Every open stream, and the thread that keeps their rings full.
struct StreamThreadState {
    std::mutex lock;
    SoundStream* open[kOpenStreamLimit];
    int32_t openCount;
    SystemThread thread;
    SystemThreadStart start;
    ManualResetEvent wake;
    bool quit;            // under the lock
    int64_t sharedBytes;  // of all shared frames (main thread)
};

StreamThreadState Streams;

void FillAllLocked()
{
    for (int32_t i = 0; i < Streams.openCount; ++i) FillSoundStream(Streams.open[i]);
}

// Neither logs nor allocates: it decodes from memory into rings that exist already.
int FeedStreams(void*)
{
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(Streams.lock);
            if (Streams.quit) return 0;
            FillAllLocked();
        }
        WaitEventFor(Streams.wake, kStreamFeedMilliseconds);
    }
}

bool Register(SoundStream* stream)
{
    std::lock_guard<std::mutex> hold(Streams.lock);
    if (Streams.openCount >= kOpenStreamLimit) return false;
    Streams.open[Streams.openCount++] = stream;
    return true;
}

void Unregister(SoundStream* stream)
{
    std::lock_guard<std::mutex> hold(Streams.lock);
    for (int32_t i = 0; i < Streams.openCount; ++i) {
        if (Streams.open[i] != stream) continue;
        Streams.open[i] = Streams.open[--Streams.openCount];
        return;
    }
}

constexpr uint64_t kRingMask = uint64_t(kStreamRingFrames) - 1;

void Finish(SoundStream* stream) { stream->finished.store(1, std::memory_order_release); }

// Up to `wanted` frames from the stream's own decoder at its source frame, seeking there when
// the decoder stands elsewhere (shared frames were copied meanwhile): the count, 0 at the end,
// -1 for damage.
int32_t ReadOwnFrames(SoundStream* stream, int16_t* out, int32_t wanted)
{
    SoundDecoder* decoder = stream->decoder;
    if (stream->decoderFrame != stream->sourceFrame) {
        if (decoder->ops->seek(decoder, stream->sourceFrame) != 0) return -1;
        stream->decoderFrame = stream->sourceFrame;
    }
    const int32_t count = decoder->ops->read(decoder, out, wanted);
    if (count > 0) stream->decoderFrame += count;
    return count;
}

// Decodes shared block `block` whole with the stream's decoder; 0, or -1 for damage (the block
// stays undecoded).
int DecodeSharedBlock(SoundStream* stream, int32_t block)
{
    SharedFrames& shared = *stream->shared;
    SoundDecoder* decoder = stream->decoder;
    const int64_t start = int64_t(block) * kSharedBlockFrames;
    if (stream->decoderFrame != start) {
        if (decoder->ops->seek(decoder, start) != 0) return -1;
        stream->decoderFrame = start;
    }
    const int32_t length = int32_t(std::min<int64_t>(kSharedBlockFrames, shared.sourceFrames - start));
    int16_t* frames = shared.frames + start * shared.channels;
    int32_t total = 0;
    while (total < length) {
        const int32_t count = decoder->ops->read(decoder, frames + total * shared.channels, length - total);
        if (count < 0) return -1;
        if (count == 0) break;
        total += count;
    }
    stream->decoderFrame = start + total;
    shared.filled[block] = total;
    // A file shorter than its header said ends here for every play, not in a failed seek.
    if (total < length) shared.sourceFrames = start + total;
    return 0;
}

// Up to `wanted` frames at the stream's source frame: copied from the shared block that holds
// them (decoded first when no play has yet), else from its own decoder. The count, 0 at the
// end of the data, -1 for damage.
int32_t ReadFrames(SoundStream* stream, int16_t* out, int32_t wanted)
{
    SharedFrames* shared = stream->shared;
    const int64_t at = stream->sourceFrame;
    const int64_t block = at / kSharedBlockFrames;
    if (shared == nullptr || block >= shared->blockCount) return ReadOwnFrames(stream, out, wanted);
    if (at >= shared->sourceFrames) return 0;
    if (shared->filled[block] < 0 && DecodeSharedBlock(stream, int32_t(block)) != 0) return -1;
    const int64_t offset = at - block * kSharedBlockFrames;
    const int32_t count = int32_t(std::clamp<int64_t>(shared->filled[block] - offset, 0, wanted));
    std::copy_n(shared->frames + at * shared->channels, count * shared->channels, out);
    return count;
}

void AddMark(SoundStream* stream, uint64_t ringFrame, int64_t sourceFrame)
{
    stream->marks[stream->markCount % kStreamMarks] = {ringFrame, sourceFrame};
    ++stream->markCount;
}

// Marks the mixer has passed (a newer one starts at or before what it consumed) are free.
bool MarkRoom(SoundStream* stream)
{
    const uint64_t consumed = stream->consumed.load(std::memory_order_acquire);
    while (stream->markCount - stream->oldestMark > 1 &&
           stream->marks[(stream->oldestMark + 1) % kStreamMarks].ringFrame <= consumed)
        ++stream->oldestMark;
    return stream->markCount - stream->oldestMark < uint32_t(kStreamMarks);
}

}  // namespace

int OpenSourceReader(const StreamSource& source, SoundReader* reader, int32_t* isFile)
{
    if (source.path != nullptr) {
        const FileValue file = FileOpen(source.path, 0, 0, 0);
        if (file == 0) return LogWriteFormat("サウンドファイル %s を開けませんでした\n", source.path);
        *reader = {FileStreamOps(), file};
        *isFile = 1;
        return 0;
    }
    MemoryStream* memory = OpenMemoryStream(source.data, source.size);
    if (memory == nullptr) return LogWrite("サウンドデータのストリームを作成できませんでした\n");
    *reader = {MemoryStreamOps(), reinterpret_cast<StreamValue>(memory)};
    *isFile = 0;
    return 0;
}

void CloseSourceReader(const SoundReader& reader)
{
    if (reader.ops != nullptr) reader.ops->close(reader.stream);
}

SharedFrames* OpenSharedFrames(const SoundFormat& format)
{
    const int64_t blockBytes = int64_t(kSharedBlockFrames) * format.channels * int64_t(sizeof(int16_t));
    const int64_t blocks = std::min<int64_t>((format.frames + kSharedBlockFrames - 1) / kSharedBlockFrames,
                                             (kSharedFramesBudget - Streams.sharedBytes) / blockBytes);
    if (blocks <= 0) return nullptr;
    auto* shared = static_cast<SharedFrames*>(TrackedAllocZeroed(int32_t(sizeof(SharedFrames)), __FILE__, __LINE__));
    if (shared == nullptr) return nullptr;
    shared->frames = static_cast<int16_t*>(TrackedAlloc(int32_t(blocks * blockBytes), __FILE__, __LINE__));
    shared->filled = static_cast<int32_t*>(TrackedAlloc(int32_t(blocks * sizeof(int32_t)), __FILE__, __LINE__));
    if (shared->frames == nullptr || shared->filled == nullptr) {
        CloseSharedFrames(shared);
        return nullptr;
    }
    std::fill_n(shared->filled, blocks, -1);
    shared->blockCount = int32_t(blocks);
    shared->channels = format.channels;
    shared->sourceFrames = format.frames;
    shared->bytes = blocks * blockBytes;
    Streams.sharedBytes += shared->bytes;
    return shared;
}

void CloseSharedFrames(SharedFrames* shared)
{
    if (shared == nullptr) return;
    Streams.sharedBytes -= shared->bytes;
    if (shared->frames != nullptr) TrackedFree(shared->frames);
    if (shared->filled != nullptr) TrackedFree(shared->filled);
    TrackedFree(shared);
}

SoundStream* OpenSoundStream(const StreamSource& source, int32_t loop, int64_t startFrame, SharedFrames* shared)
{
    void* block = TrackedAllocZeroed(int32_t(sizeof(SoundStream)), __FILE__, __LINE__);
    if (block == nullptr) {
        LogWrite("ストリーム再生用のメモリ確保に失敗しました\n");
        return nullptr;
    }
    auto* stream = new (block) SoundStream{};
    if (OpenSourceReader(source, &stream->reader, &stream->readerIsFile) != 0) {
        CloseSoundStream(stream);
        return nullptr;
    }
    stream->decoder = OpenSoundDecoder(stream->reader);
    if (stream->decoder == nullptr) {
        CloseSoundStream(stream);
        return nullptr;
    }
    stream->channels = stream->decoder->format.channels;
    stream->loop = loop;
    stream->ring = static_cast<int16_t*>(
        TrackedAlloc(kStreamRingFrames * stream->channels * int32_t(sizeof(int16_t)), __FILE__, __LINE__));
    if (stream->ring == nullptr) {
        LogWrite("ストリーム再生用のメモリ確保に失敗しました\n");
        CloseSoundStream(stream);
        return nullptr;
    }
    stream->shared = shared;
    if (shared != nullptr && startFrame < shared->blockCount * int64_t(kSharedBlockFrames))
        stream->sourceFrame = std::max<int64_t>(startFrame, 0);  // the decoder seeks when it must
    else if (startFrame > 0 && stream->decoder->ops->seek(stream->decoder, startFrame) == 0)
        stream->sourceFrame = stream->decoderFrame = startFrame;
    AddMark(stream, 0, stream->sourceFrame);
    {
        // Other plays' streams fill the shared frames on the stream thread meanwhile.
        std::lock_guard<std::mutex> hold(Streams.lock);
        FillSoundStream(stream);
    }
    if (stream->damage != nullptr) LogWrite(stream->damage);
    stream->damageLogged = 1;
    if (!Register(stream)) {
        LogWrite("同時に開けるストリームの数を超えました\n");
        CloseSoundStream(stream);
        return nullptr;
    }
    return stream;
}

void FillSoundStream(SoundStream* stream)
{
    if (stream->finished.load(std::memory_order_relaxed)) return;
    SoundDecoder* decoder = stream->decoder;
    const SoundFormat& format = decoder->format;
    bool justTurned = false;
    for (;;) {
        const uint64_t written = stream->written.load(std::memory_order_relaxed);
        const uint64_t consumed = stream->consumed.load(std::memory_order_acquire);
        const uint64_t room = uint64_t(kStreamRingFrames) - (written - consumed);
        if (room == 0) return;
        const int64_t end = stream->loop ? format.loopEnd : format.frames;
        const int64_t left = end - stream->sourceFrame;
        int32_t count = 0;
        if (left > 0) {
            const uint64_t offset = written & kRingMask;
            const int64_t contiguous = std::min<int64_t>(int64_t(room), int64_t(kStreamRingFrames - offset));
            const int32_t wanted = int32_t(std::min(contiguous, left));
            count = ReadFrames(stream, stream->ring + offset * stream->channels, wanted);
            if (count < 0) {
                stream->damage = decoder->damage;
                Finish(stream);
                return;
            }
        }
        if (count == 0) {
            // The end of the piece (or of its loop): turn back, unless that gave nothing.
            if (!stream->loop || justTurned) {
                Finish(stream);
                return;
            }
            if (!MarkRoom(stream)) return;  // the next fill turns back
            // A stream with shared frames seeks only when it next reads on its own.
            if (stream->shared == nullptr) {
                if (decoder->ops->seek(decoder, format.loopStart) != 0) {
                    Finish(stream);
                    return;
                }
                stream->decoderFrame = format.loopStart;
            }
            stream->sourceFrame = format.loopStart;
            AddMark(stream, written, format.loopStart);
            justTurned = true;
            continue;
        }
        justTurned = false;
        stream->sourceFrame += count;
        stream->written.store(written + uint64_t(count), std::memory_order_release);
    }
}

int64_t StreamSourceFrame(const SoundStream* stream, uint64_t ringFrame)
{
    for (uint32_t count = stream->markCount; count > stream->oldestMark; --count) {
        const StreamMark& mark = stream->marks[(count - 1) % kStreamMarks];
        if (mark.ringFrame <= ringFrame) return mark.sourceFrame + int64_t(ringFrame - mark.ringFrame);
    }
    const StreamMark& oldest = stream->marks[stream->oldestMark % kStreamMarks];
    return oldest.sourceFrame;
}

int RestartSoundStream(SoundStream* stream, uint64_t ringFrame, int64_t frame)
{
    if (stream->decoder->ops->seek(stream->decoder, frame) != 0) return -1;
    stream->sourceFrame = stream->decoderFrame = frame;
    stream->written.store(ringFrame, std::memory_order_release);
    stream->consumed.store(ringFrame, std::memory_order_release);
    stream->finished.store(0, std::memory_order_release);
    stream->markCount = stream->oldestMark = 0;
    AddMark(stream, ringFrame, frame);
    return 0;
}

void CloseSoundStream(SoundStream* stream)
{
    if (stream == nullptr) return;
    Unregister(stream);
    if (stream->decoder != nullptr) stream->decoder->ops->close(stream->decoder);
    CloseSourceReader(stream->reader);
    if (stream->ring != nullptr) TrackedFree(stream->ring);
    stream->~SoundStream();
    TrackedFree(stream);
}

void LockStreams() { Streams.lock.lock(); }

void UnlockStreams() { Streams.lock.unlock(); }

void FillOpenStreams()
{
    std::lock_guard<std::mutex> hold(Streams.lock);
    FillAllLocked();
    for (int32_t i = 0; i < Streams.openCount; ++i) {
        SoundStream* stream = Streams.open[i];
        if (stream->damage == nullptr || stream->damageLogged) continue;
        LogWrite(stream->damage);
        stream->damageLogged = 1;
    }
}

int StartStreamThread()
{
    if (Streams.thread != 0) return 0;
    Streams.quit = false;
    ResetEvent(Streams.wake);
    Streams.start = {FeedStreams, nullptr};
    Streams.thread = StartSystemThread(&Streams.start);
    return Streams.thread != 0 ? 0 : LogWrite("ストリーム再生用のスレッドを開始できませんでした\n");
}

void StopStreamThread()
{
    if (Streams.thread == 0) return;
    {
        std::lock_guard<std::mutex> hold(Streams.lock);
        Streams.quit = true;
    }
    SignalEvent(Streams.wake);
    JoinSystemThread(Streams.thread);
    Streams.thread = 0;
}

int LoadSourceBytes(const char* path, StreamSource* source)
{
    int64_t size = 0;
    void* bytes = FileLoadWhole(path, &size);
    if (bytes == nullptr) return LogWriteFormat("サウンドファイル %s を開けませんでした\n", path);
    *source = {nullptr, static_cast<const uint8_t*>(bytes), int32_t(size)};
    return 0;
}

}  // namespace ror
