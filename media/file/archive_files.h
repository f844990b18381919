// Archive-aware file operations: a path with a folder that has a sibling archive of the
// same name ("DATA" and "DATA.ZAZ") is looked up inside that archive; every other path
// goes to the plain files. Keeps the table of open archives and the table of open files.
#pragma once
#include <cstdint>

#include "rorodiv_file.h"
#include "file/archive.h"
#include "file/file_access.h"

namespace ror {

constexpr int kArchiveSlotCount = 512;
constexpr int kOpenFileCount = 512;
constexpr int kArchivePathSize = 256;
constexpr FileValue kArchiveFileTag = 0xF0000000;

struct ArchiveSlot {
    int32_t useCount;
    Archive archive;
    char path[kArchivePathSize];  // full, upper-cased path of the archive file
};

enum class PendingWork : int32_t { None = 0, StoredBlock = 1, PlainRead = 2 };

struct ArchiveFile {
    Archive* archive;
    FileEntry entry;
    uint8_t* expanded;  // a compressed file's bytes, dataSize long
    uint8_t* stored;    // the LZ block while its asynchronous load is pending
    int32_t atEnd;
    uint32_t position;
    int32_t async;
    PendingWork pending;
    uint32_t pendingOffset;  // file offset of the pending read, for descrambling
    uint8_t* pendingDestination;
    uint32_t pendingLength;
    int32_t damaged;  // a large asynchronous file's data did not expand: reads, tell and seek fail
};

struct OpenFileRecord {
    int32_t inArchive;
    FileValue plain;
    int32_t archiveIndex;
    ArchiveFile file;
};

struct ArchiveLayerState {
    ArchiveSlot* archives[kArchiveSlotCount];
    int32_t archiveCount;
    OpenFileRecord* files[kOpenFileCount];
    int32_t fileCount;
    char lastArchivePath[kArchivePathSize];
    int32_t lastPrefixLength;  // 0: none remembered
    int32_t lastArchiveIndex;
};

extern ArchiveLayerState ArchiveLayer;

// Settings for the archives opened from now on (SetArchiveKey, SetArchiveExtension); they
// outlive start-up and shutdown.
struct ArchiveSettings {
    char keyText[256];   // empty: the default key
    char extension[16];  // with its dot, upper-cased: ".ZAZ"
};
extern ArchiveSettings ArchiveSetup;

// Start-up: forgets every archive, open file and remembered path.
void ClearArchiveTables();
// Closes and frees every archive no open file or search uses. 0.
int ReleaseIdleArchives();

// `path` made absolute against `base` with "\" separators; "." and ".." resolved. Upper-cased
// when `upperCase`, else in the case written. 0, or -1 when it does not fit in `size`.
int FullPathFrom(const char* base, const char* path, bool upperCase, char* out, size_t size);
// The same against the current directory.
int FullPath(const char* path, bool upperCase, char* out, size_t size);

// When `path` lies under an archive: its slot (use counted) and the path inside it; 0 when
// it does not. 1 when it does.
int ResolveArchivePath(const char* path, int32_t* archiveIndex, char* inside, size_t insideSize);
// The slot of the archive `identity` (its full upper-cased path), opened from
// realPrefix[0, prefixLength) + the extension (upper-cased, else lower-cased) when not open yet. -1 on failure.
int32_t OpenArchive(int32_t hint, const char* identity, const char* realPrefix, size_t prefixLength);
// Gives back one use of an archive slot (not below 0).
void ReleaseArchiveUse(int32_t archiveIndex);

FileValue ArchiveAwareFileOpen(const char* path, int32_t useCache, int32_t spare, int32_t async);
int ArchiveAwareFileClose(FileValue file);
int64_t ArchiveAwareFileTell(FileValue file);
int ArchiveAwareFileSeek(FileValue file, int32_t offset, int origin);
size_t ArchiveAwareFileRead(void* destination, size_t elementSize, size_t count, FileValue file);
int ArchiveAwareFileAtEnd(FileValue file);
int ArchiveAwareFileIdle(FileValue file);
int ArchiveAwareSetCurrentDir(const char* path);
int ArchiveAwareGetCurrentDir(char* buffer);
SearchValue ArchiveAwareFileFindFirst(const char* pattern, FileInfo* info);
int ArchiveAwareFileFindNext(SearchValue search, FileInfo* info);
int ArchiveAwareFileFindClose(SearchValue search);

}  // namespace ror
