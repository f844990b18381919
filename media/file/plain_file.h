// Plain files of the operating system: read directly on the calling thread, or served by a
// FileWorker thread of their own that reads asynchronously and keeps a read-ahead cache.
#pragma once
#include <cstdint>

#include "rorodiv_file.h"
#include "file/file_access.h"
#include "platform/system/event.h"
#include "platform/files/files.h"
#include "platform/system/thread.h"

namespace ror {

constexpr uint32_t kReadCacheSize = 0x20000;
// Idle time after which a worker with a cache reads ahead.
constexpr uint32_t kReadAheadWaitMs = 100;

enum class WorkerCommand : int32_t { Open = 0, CloseFile = 1, Read = 2, Seek = 3, End = 4 };

// Shared by the caller and its worker; the two events order every access (see file_worker.cpp).
struct FileWorker {
    SystemThreadStart start;
    SystemThread thread;
    SystemFile workerFile;          // kNoSystemFile when none
    ManualResetEvent commandEvent;  // signalled by the caller: a command is ready
    ManualResetEvent doneEvent;     // signalled by the worker: the command is finished
    WorkerCommand command;
    int32_t ended;
    int32_t openFailed;
    char path[kFilePathSize];
    uint8_t* readDestination;
    uint32_t readOffset;
    uint32_t readCount;  // asked for; the worker writes back the bytes it read from the file
    uint32_t seekOffset;
    uint8_t* cache;  // kReadCacheSize bytes, or null; the worker's alone while it runs
    uint32_t cacheOffset;
    uint32_t cacheFill;
};

struct PlainFile {
    SystemFile file;  // direct mode only
    int32_t threaded;
    int32_t useCache;
    int32_t async;
    int32_t atEnd;
    uint32_t position;
    uint32_t size;
    FileWorker worker;  // worker mode only
};

FileValue PlainFileOpen(const char* path, int32_t useCache, int32_t spare, int32_t async);
int PlainFileClose(FileValue file);
int64_t PlainFileTell(FileValue file);
int PlainFileSeek(FileValue file, int32_t offset, int origin);
size_t PlainFileRead(void* destination, size_t elementSize, size_t count, FileValue file);
int PlainFileAtEnd(FileValue file);
int PlainFileIdle(FileValue file);
int PlainSetCurrentDir(const char* path);
int PlainGetCurrentDir(char* buffer);
SearchValue PlainFileFindFirst(const char* pattern, FileInfo* info);
int PlainFileFindNext(SearchValue search, FileInfo* info);
int PlainFileFindClose(SearchValue search);

// The worker thread's body and the caller's side of a command.
int RunFileWorker(void* worker);
// Waits for the previous command to finish, then hands the next one over.
void HandWorkerCommand(FileWorker* worker, WorkerCommand command, uint8_t* destination = nullptr, uint32_t offset = 0,
                       uint32_t count = 0);

// A new empty file in the temporary folder, open for writing; its path goes to `name`
// (kFilePathSize bytes) when given. kNoSystemFile on failure.
SystemFile CreateTempFile(char* name);

}  // namespace ror
