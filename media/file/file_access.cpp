// The installed table of file operations, the public operations that call it, and the
// stream tables over files and memory.
#include "file/file_access.h"
#include "rorodiv_file.h"

#include "core/last_failure.h"
#include "core/text_encoding.h"
#include "file/archive_files.h"
#include "file/file_startup.h"
#include "file/plain_file.h"

namespace ror {

namespace {

// The default looks inside archives first and reads everything else as plain files.
constexpr FileAccessTable kDefaultFileAccess = {
    .fileOpen = ArchiveAwareFileOpen,
    .fileClose = ArchiveAwareFileClose,
    .fileTell = ArchiveAwareFileTell,
    .fileSeek = ArchiveAwareFileSeek,
    .fileRead = ArchiveAwareFileRead,
    .fileAtEnd = ArchiveAwareFileAtEnd,
    .fileIdle = ArchiveAwareFileIdle,
    .setCurrentDir = ArchiveAwareSetCurrentDir,
    .getCurrentDir = ArchiveAwareGetCurrentDir,
    .fileFindFirst = ArchiveAwareFileFindFirst,
    .fileFindNext = ArchiveAwareFileFindNext,
    .fileFindClose = ArchiveAwareFileFindClose,
};

int64_t TellFileStream(StreamValue stream) { return FileTell(stream); }

int SeekFileStream(StreamValue stream, int32_t offset, int origin) { return FileSeek(stream, offset, origin); }

size_t ReadFileStream(void* destination, size_t elementSize, size_t count, StreamValue stream)
{
    return FileRead(destination, elementSize, count, stream);
}

int FileStreamAtEnd(StreamValue stream) { return FileAtEnd(stream); }

int FileStreamIdle(StreamValue stream) { return FileIdle(stream); }

int CloseFileStream(StreamValue stream) { return FileClose(stream); }

constexpr StreamOps kFileStreamOps = {
    .tell = TellFileStream,
    .seek = SeekFileStream,
    .read = ReadFileStream,
    .atEnd = FileStreamAtEnd,
    .idle = FileStreamIdle,
    .close = CloseFileStream,
};

struct FileAccessState {
    FileAccessTable table;
    StreamOps fileStreams;
    StreamOps memoryStreams;
};

FileAccessState FileAccess = {kDefaultFileAccess, kFileStreamOps, kPlainMemoryStreamOps};

}  // namespace

int InstallFileAccess(const FileAccessTable* table)
{
    FileAccess.table = table != nullptr ? *table : kDefaultFileAccess;
    return 0;
}

const FileAccessTable* InstalledFileAccess() { return &FileAccess.table; }

int InstallDefaultStreams()
{
    FileAccess.fileStreams = kFileStreamOps;
    FileAccess.memoryStreams = kPlainMemoryStreamOps;
    return 0;
}

const StreamOps* FileStreamOps() { return &FileAccess.fileStreams; }

const StreamOps* MemoryStreamOps() { return &FileAccess.memoryStreams; }

}  // namespace ror

using namespace ror;

FileValue FileOpen(const char* path, int32_t useCache, int32_t spare, int32_t async)
{
    const uint32_t mark = FailureMark();
    if (path == nullptr) return FailedArgument(__func__), 0;
    CallerText converted(path, CallerTextUse::Path);
    // A name with no cp932 form names no file the layer can reach.
    if (converted.get() == nullptr) return FailedSince(mark, FAILURE_NO_SUCH_FILE, __func__), 0;
    const FileValue file = FileAccess.table.fileOpen(converted.get(), useCache, spare, async);
    if (file == 0) FailedFile(mark, converted.get());
    return file;
}

int FileClose(FileValue file) { return FileAccess.table.fileClose(file); }

int64_t FileTell(FileValue file) { return FileAccess.table.fileTell(file); }

int FileSeek(FileValue file, int32_t offset, int origin) { return FileAccess.table.fileSeek(file, offset, origin); }

size_t FileRead(void* destination, size_t elementSize, size_t count, FileValue file)
{
    return FileAccess.table.fileRead(destination, elementSize, count, file);
}

int FileAtEnd(FileValue file) { return FileAccess.table.fileAtEnd(file); }

int FileIdle(FileValue file) { return FileAccess.table.fileIdle(file); }

int SetCurrentDir(const char* path)
{
    CallerText converted(path, CallerTextUse::Path);
    if (path != nullptr && converted.get() == nullptr) return -1;
    return FileAccess.table.setCurrentDir(converted.get());
}

int GetCurrentDir(char* buffer)
{
    int result = FileAccess.table.getCurrentDir(buffer);
    if (result == 0) result = PathToCaller(buffer, kFilePathSize);
    return result;
}

namespace ror {

namespace {

// Steps past names the game could not open by what it would be given (an archive's name
// with no UTF-8 form, while UTF-8 texts are on): 0 at a name it can use, -1 when none is left.
int SkipUnusableNames(SearchValue search, FileInfo* info)
{
    while (PathToCaller(info->name, sizeof info->name) != 0)
        if (FileAccess.table.fileFindNext(search, info) != 0) return -1;
    return 0;
}

}  // namespace

}  // namespace ror

SearchValue FileFindFirst(const char* pattern, FileInfo* info)
{
    CallerText converted(pattern, CallerTextUse::Path);
    if (pattern != nullptr && converted.get() == nullptr) return kNoSearch;
    SearchValue search = FileAccess.table.fileFindFirst(converted.get(), info);
    if (search != kNoSearch && info != nullptr && SkipUnusableNames(search, info) != 0) {
        FileAccess.table.fileFindClose(search);
        return kNoSearch;
    }
    return search;
}

int FileFindNext(SearchValue search, FileInfo* info)
{
    int result = FileAccess.table.fileFindNext(search, info);
    if (result == 0 && info != nullptr) result = SkipUnusableNames(search, info);
    return result;
}

int FileFindClose(SearchValue search) { return FileAccess.table.fileFindClose(search); }
