// The table of file operations every loader reads through, and the stream operations
// that let a loader read files and memory blocks alike.
#pragma once
#include <cstddef>
#include <cstdint>

#include "rorodiv_file.h"

namespace ror {

struct FileAccessTable {
    // useCache: keep a read-ahead cache; spare: not used; async: reads return at once.
    FileValue (*fileOpen)(const char* path, int32_t useCache, int32_t spare, int32_t async);
    int (*fileClose)(FileValue file);
    int64_t (*fileTell)(FileValue file);  // the position, or -1 for a bad file value
    int (*fileSeek)(FileValue file, int32_t offset, int origin);
    size_t (*fileRead)(void* destination, size_t elementSize, size_t count, FileValue file);
    int (*fileAtEnd)(FileValue file);  // nonzero at the end
    int (*fileIdle)(FileValue file);   // 1 when no asynchronous work is pending
    int (*setCurrentDir)(const char* path);
    int (*getCurrentDir)(char* buffer);  // buffer of kFilePathSize bytes
    SearchValue (*fileFindFirst)(const char* pattern, FileInfo* info);
    int (*fileFindNext)(SearchValue search, FileInfo* info);
    int (*fileFindClose)(SearchValue search);
};

// Copies `table` in; null installs the default, the archive-aware operations. Returns 0.
int InstallFileAccess(const FileAccessTable* table);
const FileAccessTable* InstalledFileAccess();

// The public file operations of rorodiv_file.h each call the installed table's slot.

// Streams: a loader takes a table and an opaque stream value and reads through them.
using StreamValue = uintptr_t;

struct StreamOps {
    int64_t (*tell)(StreamValue stream);
    int (*seek)(StreamValue stream, int32_t offset, int origin);
    size_t (*read)(void* destination, size_t elementSize, size_t count, StreamValue stream);
    int (*atEnd)(StreamValue stream);
    int (*idle)(StreamValue stream);
    int (*close)(StreamValue stream);
};

// A block of memory read like a file. The data belongs to the caller.
struct MemoryStream {
    const uint8_t* data;
    int32_t size;
    int32_t position;
    int32_t atEnd;
};

// The file-stream table forwards to the installed FileAccessTable (a FileValue is the
// stream value); the memory-stream table reads a MemoryStream.
const StreamOps* FileStreamOps();
const StreamOps* MemoryStreamOps();
// Fills both tables; start-up calls it. Returns 0.
int InstallDefaultStreams();

// Null when the record cannot be allocated or size is negative.
MemoryStream* OpenMemoryStream(const void* data, int32_t size);
int64_t TellMemoryStream(StreamValue stream);
int SeekMemoryStream(StreamValue stream, int32_t offset, int origin);
size_t ReadMemoryStream(void* destination, size_t elementSize, size_t count, StreamValue stream);
int MemoryStreamAtEnd(StreamValue stream);
int MemoryStreamIdle(StreamValue stream);
int CloseMemoryStream(StreamValue stream);
// The table of the routines above, whatever stream table is installed.
extern const StreamOps kPlainMemoryStreamOps;

}  // namespace ror
