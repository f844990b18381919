// The installed table of file operations, the public operations that call it, and the
// stream tables over files and memory.
#include "file/file_access.h"

#include "core/text_encoding.h"
#include "file/archive_files.h"
#include "file/file_startup.h"
#include "file/plain_file.h"

namespace {

// The default looks inside archives first and reads everything else as plain files.
constexpr FileAccessTable kDefaultFileAccess = {
    ArchiveAwareFileOpen,      ArchiveAwareFileClose,     ArchiveAwareFileTell,
    ArchiveAwareFileSeek,      ArchiveAwareFileRead,      ArchiveAwareFileAtEnd,
    ArchiveAwareFileIdle,      ArchiveAwareSetCurrentDir, ArchiveAwareGetCurrentDir,
    ArchiveAwareFileFindFirst, ArchiveAwareFileFindNext,  ArchiveAwareFileFindClose,
};

int64_t TellFileStream(StreamValue stream)
{
    return FileTell(stream);
}

int SeekFileStream(StreamValue stream, int32_t offset, int origin)
{
    return FileSeek(stream, offset, origin);
}

size_t ReadFileStream(void* destination, size_t elementSize, size_t count, StreamValue stream)
{
    return FileRead(destination, elementSize, count, stream);
}

int FileStreamAtEnd(StreamValue stream)
{
    return FileAtEnd(stream);
}

int FileStreamIdle(StreamValue stream)
{
    return FileIdle(stream);
}

int CloseFileStream(StreamValue stream)
{
    return FileClose(stream);
}

constexpr StreamOps kFileStreamOps = {TellFileStream, SeekFileStream,  ReadFileStream,
                                      FileStreamAtEnd, FileStreamIdle, CloseFileStream};
constexpr StreamOps kMemoryStreamOps = {TellMemoryStream,   SeekMemoryStream,  ReadMemoryStream,
                                        MemoryStreamAtEnd, MemoryStreamIdle, CloseMemoryStream};

struct FileAccessState {
    FileAccessTable table;
    StreamOps fileStreams;
    StreamOps memoryStreams;
};

FileAccessState FileAccess = {kDefaultFileAccess, kFileStreamOps, kMemoryStreamOps};

}  // namespace

int InstallFileAccess(const FileAccessTable* table)
{
    FileAccess.table = table != nullptr ? *table : kDefaultFileAccess;
    return 0;
}

const FileAccessTable* InstalledFileAccess()
{
    return &FileAccess.table;
}

int InstallDefaultStreams()
{
    FileAccess.fileStreams = kFileStreamOps;
    FileAccess.memoryStreams = kMemoryStreamOps;
    return 0;
}

const StreamOps* FileStreamOps()
{
    return &FileAccess.fileStreams;
}

const StreamOps* MemoryStreamOps()
{
    return &FileAccess.memoryStreams;
}

FileValue FileOpen(const char* path, int32_t useCache, int32_t spare, int32_t async)
{
    CallerText converted(path);
    return FileAccess.table.fileOpen(converted.get(), useCache, spare, async);
}

int FileClose(FileValue file)
{
    return FileAccess.table.fileClose(file);
}

int64_t FileTell(FileValue file)
{
    return FileAccess.table.fileTell(file);
}

int FileSeek(FileValue file, int32_t offset, int origin)
{
    return FileAccess.table.fileSeek(file, offset, origin);
}

size_t FileRead(void* destination, size_t elementSize, size_t count, FileValue file)
{
    return FileAccess.table.fileRead(destination, elementSize, count, file);
}

int FileAtEnd(FileValue file)
{
    return FileAccess.table.fileAtEnd(file);
}

int FileIdle(FileValue file)
{
    return FileAccess.table.fileIdle(file);
}

int SetCurrentDir(const char* path)
{
    CallerText converted(path);
    return FileAccess.table.setCurrentDir(converted.get());
}

int GetCurrentDir(char* buffer)
{
    int result = FileAccess.table.getCurrentDir(buffer);
    if (result == 0)
        TextToCaller(buffer, kFilePathSize);
    return result;
}

SearchValue FileFindFirst(const char* pattern, FileInfo* info)
{
    CallerText converted(pattern);
    SearchValue search = FileAccess.table.fileFindFirst(converted.get(), info);
    if (search != kNoSearch && info != nullptr)
        TextToCaller(info->name, sizeof info->name);
    return search;
}

int FileFindNext(SearchValue search, FileInfo* info)
{
    int result = FileAccess.table.fileFindNext(search, info);
    if (result == 0 && info != nullptr)
        TextToCaller(info->name, sizeof info->name);
    return result;
}

int FileFindClose(SearchValue search)
{
    return FileAccess.table.fileFindClose(search);
}
