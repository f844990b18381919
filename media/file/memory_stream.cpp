// A block of memory read exactly like a file.
#include <cstring>

#include "rorodiv_file.h"
#include "core/tracked_memory.h"
#include "file/file_access.h"

namespace ror {

namespace {

MemoryStream* ToMemoryStream(StreamValue stream) { return reinterpret_cast<MemoryStream*>(stream); }

}  // namespace

MemoryStream* OpenMemoryStream(const void* data, int32_t size)
{
    if (size < 0 || (data == nullptr && size > 0)) return nullptr;
    auto* stream = static_cast<MemoryStream*>(TrackedAllocZeroed(int32_t(sizeof(MemoryStream)), __FILE__, __LINE__));
    if (stream == nullptr) return nullptr;
    stream->data = static_cast<const uint8_t*>(data);
    stream->size = size;
    return stream;
}

int64_t TellMemoryStream(StreamValue value)
{
    MemoryStream* stream = ToMemoryStream(value);
    return stream == nullptr ? -1 : stream->position;
}

int SeekMemoryStream(StreamValue value, int32_t offset, int origin)
{
    MemoryStream* stream = ToMemoryStream(value);
    if (stream == nullptr || origin < kSeekStart || origin > kSeekEnd) return -1;
    int64_t base = origin == kSeekStart ? 0 : origin == kSeekCurrent ? stream->position : stream->size;
    int64_t target = base + offset;
    stream->atEnd = 0;
    stream->position = target > stream->size ? stream->size : target < 0 ? 0 : int32_t(target);
    return 0;
}

size_t ReadMemoryStream(void* destination, size_t elementSize, size_t count, StreamValue value)
{
    MemoryStream* stream = ToMemoryStream(value);
    if (stream == nullptr || elementSize == 0 || count == 0) return 0;
    if (stream->position >= stream->size) {
        stream->atEnd = 1;
        return 0;
    }
    size_t remaining = size_t(stream->size - stream->position);
    const uint8_t* from = stream->data + stream->position;
    size_t bytes;
    size_t result;
    if (count <= remaining / elementSize) {
        bytes = elementSize * count;
        result = count;
    } else if (remaining / elementSize > 0) {
        result = remaining / elementSize;
        bytes = elementSize * result;
    } else {
        // Less than one element is left: hand it out as a partial element.
        bytes = remaining;
        result = 1;
    }
    std::memcpy(destination, from, bytes);
    stream->position += int32_t(bytes);
    stream->atEnd = 0;
    return result;
}

int MemoryStreamAtEnd(StreamValue value)
{
    MemoryStream* stream = ToMemoryStream(value);
    return stream != nullptr && stream->atEnd ? 1 : 0;
}

int MemoryStreamIdle(StreamValue) { return 1; }

int CloseMemoryStream(StreamValue value)
{
    MemoryStream* stream = ToMemoryStream(value);
    if (stream == nullptr) return -1;
    TrackedFree(stream);
    return 0;
}

constinit const StreamOps kPlainMemoryStreamOps = {
    .tell = TellMemoryStream,
    .seek = SeekMemoryStream,
    .read = ReadMemoryStream,
    .atEnd = MemoryStreamAtEnd,
    .idle = MemoryStreamIdle,
    .close = CloseMemoryStream,
};

}  // namespace ror
