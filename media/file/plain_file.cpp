// Plain files: direct mode reads on the calling thread; worker mode hands every read and
// seek to the file's FileWorker thread.
#include "file/plain_file.h"
#include "rorodiv.h"

#include <cstring>
#include <memory>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "platform/files/directory.h"

namespace ror {

namespace {

PlainFile* ToPlainFile(FileValue file) { return reinterpret_cast<PlainFile*>(file); }

// The record holds the worker's events, so it is constructed in place (zeroed, events reset).
PlainFile* NewPlainFile()
{
    void* memory = TrackedAllocZeroed(int32_t(sizeof(PlainFile)), __FILE__, __LINE__);
    return memory == nullptr ? nullptr : std::construct_at(static_cast<PlainFile*>(memory));
}

void DeletePlainFile(PlainFile* file)
{
    std::destroy_at(file);
    TrackedFree(file);
}

void ReleaseCache(FileWorker* worker)
{
    if (worker->cache != nullptr) TrackedFree(worker->cache);
    worker->cache = nullptr;
}

// The size of an existing file, or -1 when it cannot be opened or is beyond the
// 32-bit positions of the file layer.
int64_t ProbeFileSize(const char* path, SystemFile* keepOpen)
{
    SystemFile file = OpenSystemFile(path, FileOpenMode::Read);
    if (file == kNoSystemFile) return -1;
    int64_t size = SystemFileSize(file);
    if (size < 0 || size > int64_t(UINT32_MAX)) {
        CloseSystemFile(file);
        return -1;
    }
    if (keepOpen != nullptr)
        *keepOpen = file;
    else
        CloseSystemFile(file);
    return size;
}

FileValue OpenWorkerFile(PlainFile* file, const char* path)
{
    FileWorker* worker = &file->worker;
    int64_t size = std::strlen(path) < sizeof worker->path ? ProbeFileSize(path, nullptr) : -1;
    if (size < 0) {
        DeletePlainFile(file);
        return 0;
    }
    file->size = uint32_t(size);
    if (file->useCache) {
        worker->cache = static_cast<uint8_t*>(TrackedAlloc(int32_t(kReadCacheSize), __FILE__, __LINE__));
        if (worker->cache == nullptr) {
            DeletePlainFile(file);
            return LogWrite("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n"), 0;
        }
    }
    worker->workerFile = kNoSystemFile;
    // No command is pending yet: the first one may be handed over at once.
    SignalEvent(worker->doneEvent);
    worker->start = {RunFileWorker, worker};
    worker->thread = StartSystemThread(&worker->start);
    if (worker->thread == 0) {
        ReleaseCache(worker);
        DeletePlainFile(file);
        return LogWrite("ファイルアクセス専用スレッドの作成に失敗しました\n"), 0;
    }
    std::strcpy(worker->path, path);
    HandWorkerCommand(worker, WorkerCommand::Open);
    WaitEvent(worker->doneEvent);
    if (worker->openFailed) {
        JoinSystemThread(worker->thread);
        ReleaseCache(worker);
        DeletePlainFile(file);
        return LogWrite("ファイルのオープンに失敗しました\n"), 0;
    }
    file->position = 0;
    file->atEnd = 0;
    return reinterpret_cast<FileValue>(file);
}

}  // namespace

FileValue PlainFileOpen(const char* path, int32_t useCache, int32_t, int32_t async)
{
    if (path == nullptr) return 0;
    PlainFile* file = NewPlainFile();
    if (file == nullptr) return 0;
    file->useCache = useCache;
    file->async = async;
    file->threaded = (useCache != 0 || async != 0) ? 1 : 0;
    if (file->threaded) return OpenWorkerFile(file, path);
    int64_t size = ProbeFileSize(path, &file->file);
    if (size < 0) {
        DeletePlainFile(file);
        return 0;
    }
    file->size = uint32_t(size);
    return reinterpret_cast<FileValue>(file);
}

int PlainFileClose(FileValue value)
{
    PlainFile* file = ToPlainFile(value);
    if (file == nullptr) return -1;
    if (file->threaded) {
        FileWorker* worker = &file->worker;
        HandWorkerCommand(worker, WorkerCommand::End);
        WaitEvent(worker->doneEvent);
        JoinSystemThread(worker->thread);
        ReleaseCache(worker);
    } else {
        CloseSystemFile(file->file);
    }
    DeletePlainFile(file);
    return 0;
}

int64_t PlainFileTell(FileValue value)
{
    PlainFile* file = ToPlainFile(value);
    return file == nullptr ? -1 : int64_t(file->position);
}

int PlainFileSeek(FileValue value, int32_t offset, int origin)
{
    PlainFile* file = ToPlainFile(value);
    if (file == nullptr || origin < kSeekStart || origin > kSeekEnd) return -1;
    int64_t base = origin == kSeekStart ? 0 : origin == kSeekCurrent ? int64_t(file->position) : int64_t(file->size);
    int64_t target = base + offset;
    // Positions are unsigned 32-bit: a target before the start cannot be stored.
    if (target < 0 || target > int64_t(UINT32_MAX)) return -1;
    if (file->threaded) {
        HandWorkerCommand(&file->worker, WorkerCommand::Seek, nullptr, uint32_t(target));
    } else if (SeekSystemFile(file->file, target, 0) < 0) {
        return -1;
    }
    file->position = uint32_t(target);
    file->atEnd = 0;
    return 0;
}

size_t PlainFileRead(void* destination, size_t elementSize, size_t count, FileValue value)
{
    PlainFile* file = ToPlainFile(value);
    if (file == nullptr || elementSize == 0) return 0;
    // A seek may have left the position past the end: nothing is left there either.
    if (file->position >= file->size) {
        file->atEnd = 1;
        return 0;
    }
    uint64_t remaining = file->size - file->position;
    uint64_t elements = count > remaining / elementSize ? remaining / elementSize : count;
    if (elements == 0) {
        file->atEnd = 1;
        return 0;
    }
    uint32_t bytes = uint32_t(elementSize * elements);
    size_t result;
    if (file->threaded) {
        HandWorkerCommand(&file->worker, WorkerCommand::Read, static_cast<uint8_t*>(destination), file->position,
                          bytes);
        if (!file->async) WaitEvent(file->worker.doneEvent);
        result = size_t(elements);
    } else {
        int64_t got = ReadSystemFile(file->file, destination, bytes);
        result = got < 0 ? 0 : size_t(got) / elementSize;
    }
    file->position += bytes;
    return result;
}

int PlainFileAtEnd(FileValue value)
{
    PlainFile* file = ToPlainFile(value);
    return file != nullptr && file->atEnd ? -1 : 0;
}

int PlainFileIdle(FileValue value)
{
    PlainFile* file = ToPlainFile(value);
    if (file == nullptr || !file->threaded) return 1;
    return WaitEventFor(file->worker.doneEvent, 0);
}

int PlainSetCurrentDir(const char* path) { return path == nullptr ? -1 : SetSystemCurrentDirectory(path); }

int PlainGetCurrentDir(char* buffer)
{
    return buffer == nullptr ? -1 : GetSystemCurrentDirectory(buffer, kFilePathSize);
}

SystemFile CreateTempFile(char* name) { return CreateSystemTempFile(name, kFilePathSize); }

}  // namespace ror
