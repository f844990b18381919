// The FileWorker thread: one per file opened in worker mode. It owns the file and its
// read-ahead cache and neither logs nor allocates.
//
// Protocol: the caller waits for doneEvent (the previous command is finished), writes the
// command and its fields, resets doneEvent and signals commandEvent. The worker reads the
// fields after commandEvent and signals doneEvent once it no longer touches them.
#include "file/plain_file.h"

#include <algorithm>
#include <cstring>

namespace ror {

void HandWorkerCommand(FileWorker* worker, WorkerCommand command, uint8_t* destination, uint32_t offset, uint32_t count)
{
    WaitEvent(worker->doneEvent);
    worker->command = command;
    if (command == WorkerCommand::Read) {
        worker->readDestination = destination;
        worker->readOffset = offset;
        worker->readCount = count;
    } else if (command == WorkerCommand::Seek) {
        worker->seekOffset = offset;
    }
    ResetEvent(worker->doneEvent);
    SignalEvent(worker->commandEvent);
}

namespace {

void ReadAhead(FileWorker* worker)
{
    if (worker->workerFile == kNoSystemFile || worker->cacheFill >= kReadCacheSize) return;
    int64_t got =
        ReadSystemFileAt(worker->workerFile, worker->cache + worker->cacheFill, kReadCacheSize - worker->cacheFill,
                         int64_t(worker->cacheOffset) + worker->cacheFill);
    if (got > 0) worker->cacheFill += uint32_t(got);
}

void ExecuteRead(FileWorker* worker)
{
    if (worker->cache != nullptr && worker->readOffset == worker->cacheOffset && worker->cacheFill > 0) {
        uint32_t n = std::min(worker->readCount, worker->cacheFill);
        std::memcpy(worker->readDestination, worker->cache, n);
        worker->readDestination += n;
        worker->readOffset += n;
        worker->cacheOffset += n;
        worker->readCount -= n;
        worker->cacheFill -= n;
        std::memmove(worker->cache, worker->cache + n, worker->cacheFill);
    }
    if (worker->readCount == 0) return;
    int64_t got = worker->workerFile == kNoSystemFile ? -1
                                                      : ReadSystemFileAt(worker->workerFile, worker->readDestination,
                                                                         worker->readCount, worker->readOffset);
    worker->readCount = got < 0 ? 0 : uint32_t(got);
    if (worker->cache != nullptr) {
        // Read-ahead restarts behind this read.
        worker->cacheOffset = worker->readOffset + worker->readCount;
        worker->cacheFill = 0;
    }
}

}  // namespace

int RunFileWorker(void* raw)
{
    auto* worker = static_cast<FileWorker*>(raw);
    for (;;) {
        if (worker->cache != nullptr) {
            if (WaitEventFor(worker->commandEvent, kReadAheadWaitMs) == 0) {
                ReadAhead(worker);
                continue;
            }
        } else {
            WaitEvent(worker->commandEvent);
        }
        ResetEvent(worker->commandEvent);
        ResetEvent(worker->doneEvent);
        switch (worker->command) {
        case WorkerCommand::Open:
            worker->workerFile = OpenSystemFile(worker->path, FileOpenMode::Read);
            if (worker->workerFile == kNoSystemFile) {
                worker->openFailed = 1;
                break;
            }
            SignalEvent(worker->doneEvent);
            continue;
        case WorkerCommand::CloseFile:
            CloseSystemFile(worker->workerFile);
            worker->workerFile = kNoSystemFile;
            SignalEvent(worker->doneEvent);
            continue;
        case WorkerCommand::Read:
            ExecuteRead(worker);
            SignalEvent(worker->doneEvent);
            continue;
        case WorkerCommand::Seek:
            if (worker->cache != nullptr) {
                worker->cacheOffset = worker->seekOffset;
                worker->cacheFill = 0;
            }
            SignalEvent(worker->doneEvent);
            continue;
        case WorkerCommand::End:
            CloseSystemFile(worker->workerFile);
            worker->workerFile = kNoSystemFile;
            break;
        }
        break;
    }
    worker->ended = 1;
    SignalEvent(worker->doneEvent);
    return 1;
}

}  // namespace ror
