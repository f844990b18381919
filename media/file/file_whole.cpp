// A file's size and whole-file reads, over the installed file operations (archives included).
#include <climits>

#include "rorodiv_file.h"
#include "core/tracked_memory.h"
#include "file/file_access.h"
#include "core/last_failure.h"

using namespace ror;

int64_t FileSize(FileValue file)
{
    int64_t position = FileTell(file);
    if (position < 0 || FileSeek(file, 0, kSeekEnd) != 0) return -1;
    int64_t size = FileTell(file);
    FileSeek(file, int32_t(position), kSeekStart);
    return size;
}

namespace ror {

namespace {

// Reads `size` bytes from the start; elements of one byte, so plain files and archive
// files both count bytes.
int ReadExactly(FileValue file, void* block, int64_t size)
{
    auto* at = static_cast<uint8_t*>(block);
    int64_t done = 0;
    while (done < size) {
        size_t got = FileRead(at + done, 1, size_t(size - done), file);
        if (got == 0) break;
        done += int64_t(got);
    }
    return done == size ? 0 : -1;
}

// The size of an open file that a 32-bit seek can reach, or -1.
int64_t ReadableSize(FileValue file)
{
    int64_t size = FileSize(file);
    return size > INT32_MAX ? -1 : size;
}

}  // namespace

}  // namespace ror

int64_t FileReadWhole(const char* path, void* block, int64_t capacity)
{
    FileValue file = FileOpen(path, 0, 0, 0);
    if (file == 0) return -1;  // FileOpen noted why
    const uint32_t mark = FailureMark();
    int64_t size = ReadableSize(file);
    if (size >= 0 && block != nullptr && size > capacity) size = FailedArgument(__func__);
    if (size >= 0 && block != nullptr && ReadExactly(file, block, size) != 0)
        size = FailedSince(mark, FAILURE_DEVICE, __func__);
    if (size < 0) FailedSince(mark, FAILURE_DEVICE, __func__);
    FileClose(file);
    return size;
}

void* FileLoadWhole(const char* path, int64_t* size)
{
    if (size != nullptr) *size = 0;
    FileValue file = FileOpen(path, 0, 0, 0);
    if (file == 0) return nullptr;
    int64_t length = ReadableSize(file);
    // One spare zero byte, so a text file can be read as a string.
    void* block =
        length < 0 || length >= INT32_MAX ? nullptr : TrackedAllocZeroed(int32_t(length + 1), __FILE__, __LINE__);
    if (block != nullptr && ReadExactly(file, block, length) != 0) {
        TrackedFree(block);
        block = nullptr;
    }
    FileClose(file);
    if (size != nullptr && block != nullptr) *size = length;
    return block;
}

int FileReleaseBlock(void* block)
{
    if (block != nullptr) TrackedFree(block);
    return 0;
}
