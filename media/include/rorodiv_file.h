/// @file
/// Files, archive-aware: a path below a folder that has an archive of the same name beside it
/// ("DATA\MAP.PNG" with "DATA.ZAZ" next to "DATA") is read from inside the archive, so a game's
/// data moves into an archive without a code change. Paths take "\" or "/".
#pragma once
#include <cstddef>
#include <cstdint>

#include "rorodiv_api.h"

/// An open file; 0 means failure.
using FileValue = uintptr_t;
/// A folder search; kNoSearch means nothing matched.
using SearchValue = intptr_t;
/// The SearchValue of a search that matched nothing (-1).
constexpr SearchValue kNoSearch = -1;
/// Buffer size of GetCurrentDir and of a FileInfo name.
constexpr int kFilePathSize = 260;

/// A calendar date and time of day, as FileInfo gives a file's times.
struct DateTime {
    int32_t year;    ///< four digits, such as 2026
    int32_t month;   ///< 1-12
    int32_t day;     ///< 1-31
    int32_t hour;    ///< 0-23
    int32_t minute;  ///< 0-59
    int32_t second;  ///< 0-59
};

/// One entry a folder search found.
struct FileInfo {
    char name[kFilePathSize];  ///< the entry's name without its folder
    int32_t isDirectory;       ///< 1 for a folder, 0 for a file
    uint32_t sizeLow;          ///< the size in bytes, its low 32 bits
    uint32_t sizeHigh;         ///< the size in bytes, its high 32 bits
    DateTime creationTime;     ///< local time
    DateTime lastWriteTime;    ///< local time
};

/// @{
/// Seek origins for FileSeek: the file's start, the position now, the file's end.
constexpr int kSeekStart = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;
/// @}

/// Opens a file for reading, before or after start-up. useCache nonzero: read ahead on a
/// worker thread; spare: not used; async nonzero: reads return at once and FileIdle tells
/// when the bytes have arrived. The file's value, or 0 for a null path or a file that neither
/// the folders nor an archive has.
ROR_API FileValue FileOpen(const char* path, int32_t useCache, int32_t spare, int32_t async);
/// Closes a file, waiting for its worker thread if it has one. 0; -1 for a value that is no
/// open file.
ROR_API int FileClose(FileValue file);
/// Reads up to count elements of elementSize bytes into destination: the number of bytes read
/// (a file inside an archive) or of whole elements read (a plain file); 0 at the end or for a
/// bad file value.
ROR_API size_t FileRead(void* destination, size_t elementSize, size_t count, FileValue file);
/// Moves the read position to offset bytes from origin (kSeekStart, kSeekCurrent, kSeekEnd).
/// 0; -1 for a bad file value or origin, or a position before the start or past 4 GiB.
ROR_API int FileSeek(FileValue file, int32_t offset, int origin);
ROR_API int64_t FileTell(FileValue file);  ///< the position, or -1 for a bad file value
ROR_API int64_t FileSize(FileValue file);  ///< the size in bytes, or -1; the position is kept
ROR_API int FileAtEnd(FileValue file);     ///< nonzero once a read met the end
ROR_API int FileIdle(FileValue file);      ///< 1 when no asynchronous read is pending

/// A whole file into the caller's block of `capacity` bytes: the file's size, or -1 when it
/// cannot be read or does not fit (nothing is read then; a null block just asks the size).
ROR_API int64_t FileReadWhole(const char* path, void* block, int64_t capacity);
/// A whole file into a new block, its size in *size (may be null): the block, or null.
/// Give it back with FileReleaseBlock.
ROR_API void* FileLoadWhole(const char* path, int64_t* size);
/// Frees a block FileLoadWhole gave. 0, also for null.
ROR_API int FileReleaseBlock(void* block);

/// Makes path the current folder, against which relative paths are found. 0; -1 for a
/// folder that does not exist.
ROR_API int SetCurrentDir(const char* path);
ROR_API int GetCurrentDir(char* buffer);  ///< buffer of kFilePathSize bytes

/// Folder search with "*" and "?" in the last component ("DATA\*.PNG"), inside archives too:
/// the first match, then one per FileFindNext (-1 when no more), then FileFindClose.
ROR_API SearchValue FileFindFirst(const char* pattern, FileInfo* info);
/// The search's next match into *info: 0; -1 when no more match or for a bad search value.
ROR_API int FileFindNext(SearchValue search, FileInfo* info);
/// Ends a search and frees it. 0; -1 for a bad search value.
ROR_API int FileFindClose(SearchValue search);

/// Archives: the key text their bytes are scrambled with (null or "" for the default key)
/// and the extension that marks them (".ZAZ" by default; also tried in lower case). For the
/// archives opened after the call; at most 255 and 15 bytes.
ROR_API int SetArchiveKey(const char* keyText);
/// The extension that marks archives, with or without its dot (ASCII letters and digits; kept
/// in upper case). 0; -1 for null, an empty one, one too long, or one with a dot, a path
/// separator or a non-ASCII byte inside.
ROR_API int SetArchiveExtension(const char* extension);
