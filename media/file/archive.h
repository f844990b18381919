// The archive format "ZAZ" and the reading of one archive, from a file or from an image in
// memory. Every byte of an archive is scrambled with a 12-byte key; files may be
// LZ-compressed. An archive is checked whole where it enters (header, index block, every
// reachable folder and entry), so the lookups after that trust what they read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "rorodiv_file.h"
#include "file/file_access.h"
#include "platform/files/files.h"

namespace ror {

constexpr int kArchiveKeySize = 12;
constexpr uint32_t kArchiveHeaderSize = 24;
constexpr uint16_t kArchiveMagic = 0x415A;  // "ZA"
constexpr uint16_t kArchiveNewestVersion = 3;
constexpr uint32_t kDirectoryEntrySize = 16;
constexpr uint32_t kFileEntrySizeV1 = 40;
constexpr uint32_t kFileEntrySize = 44;  // versions 2 and 3
constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint32_t kStoredUncompressed = 0xFFFFFFFF;
constexpr uint32_t kNoParent = 0xFFFFFFFF;

struct ArchiveKey {
    uint8_t bytes[kArchiveKeySize];
};

struct ArchiveHeader {
    uint16_t magic;
    uint16_t version;
    uint32_t indexSize;
    uint32_t dataOffset;       // file data addresses count from here
    uint32_t indexOffset;      // file offset of the index block
    uint32_t fileTableOffset;  // inside the index block
    uint32_t dirTableOffset;   // inside the index block
};

// A FileEntry of the file table, read out of the index block.
struct FileEntry {
    uint32_t nameOffset;
    uint32_t attributes;
    uint64_t creationTime;  // 100-ns units since 1601, UTC
    uint64_t lastAccessTime;
    uint64_t lastWriteTime;
    uint32_t dataAddress;     // a file: from dataOffset; a folder: its DirectoryEntry in the directory table
    uint32_t dataSize;        // after expansion
    uint32_t compressedSize;  // kStoredUncompressed when stored (always in version 1)
};

// Entry times (100-ns units since 1601, UTC) from and to seconds since 1970.
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr uint64_t ToEntryTime(int64_t unixSeconds)
{
    return uint64_t(unixSeconds + kSecondsFrom1601To1970) * 10000000ULL;
}
constexpr int64_t FromEntryTime(uint64_t entryTime)
{
    return int64_t(entryTime / 10000000ULL) - kSecondsFrom1601To1970;
}

// A DirectoryEntry of the directory table, read out of the index block.
struct DirectoryEntry {
    uint32_t parent;      // kNoParent for the root
    uint32_t count;       // entries directly in the folder
    uint32_t firstEntry;  // offset of the first FileEntry in the file table
};

struct Archive {
    ArchiveHeader header;   // unscrambled
    FileValue sourceFile;   // file mode: the archive's PlainFile, whose worker serves asynchronous reads
    SystemFile directFile;  // file mode: synchronous reads, on the calling thread
    uint32_t filePosition;  // file mode: where the next read of the archive file starts
    uint8_t* image;         // memory mode: the caller's image
    uint8_t* indexBlock;    // own copy in file mode, inside the image in memory mode
    const uint8_t* fileTable;
    const uint8_t* dirTable;  // the root folder
    const uint8_t* nameTable;
    uint32_t currentDir;  // offset of the current folder's DirectoryEntry in the directory table
    ArchiveKey key;
    int32_t inMemory;
    int32_t callerImage;
    uint32_t imageSize;
    uint32_t archiveSize;  // bytes of the file or image
    uint32_t entrySize;    // 40 or 44 by version
    int32_t isOpen;
};

// The 12-byte key of a key text (null or "" for the default key), and the fallback key.
ArchiveKey DeriveArchiveKey(const char* keyText);
ArchiveKey FallbackArchiveKey();
// XORs byte i with key[(position + i) mod 12]; applying it twice restores the bytes.
void ScrambleBytes(uint8_t* bytes, size_t length, uint64_t position, const ArchiveKey& key);
// The same while copying from `source` (which may be `destination`) to `destination`.
void ScrambleCopy(uint8_t* destination, const uint8_t* source, size_t length, uint64_t position, const ArchiveKey& key);

int OpenArchiveFile(Archive* archive, const char* path, const char* keyText);
// The image is descrambled in place while the archive is open; closing scrambles it back.
// A failed open leaves it unchanged.
int OpenArchiveImage(Archive* archive, uint8_t* image, uint32_t size, const char* keyText);
int CloseArchive(Archive* archive);
int ChangeArchiveDir(Archive* archive, const char* path, int restoreOnFailure);
// The FileEntry bytes of a file in the index block, or null. currentDir is kept.
const uint8_t* FindArchiveEntry(Archive* archive, const char* path);
// The file's offset from the start of the archive and its size: 0, or -1 when not found.
int LocateArchiveEntry(Archive* archive, const char* path, uint32_t* offset, uint32_t* size);
// Positions the archive file (file mode) at `offset` from its start: 0 or -1.
int SeekArchiveFile(Archive* archive, uint32_t offset);
// Reads `length` bytes at the archive file's position and descrambles them (file mode),
// on the calling thread. Returns the bytes read, or -1.
int64_t ReadArchiveRange(Archive* archive, void* destination, uint32_t length);
// Starts an asynchronous read of `length` bytes at the archive file's position on the
// archive's worker; the bytes arrive scrambled once PlainFileIdle(sourceFile) is 1.
// Returns the file offset they come from (for descrambling).
uint32_t StartArchiveRead(Archive* archive, void* destination, uint32_t length);

FileEntry ReadFileEntry(const Archive* archive, const uint8_t* entry);
DirectoryEntry ReadDirectoryEntry(const Archive* archive, uint32_t offset);
// The name record's two copies of a FileEntry's name (checked zero-terminated at open).
const char* EntryUpperName(const Archive* archive, const FileEntry& entry);
const char* EntryName(const Archive* archive, const FileEntry& entry);

// Checks the header against the archive's size and walks the whole index: every offset
// and size in range, folders form a tree. 0, or -1 for a damaged archive.
int ValidateArchive(Archive* archive);
ArchiveHeader ParseArchiveHeader(const uint8_t* bytes);

}  // namespace ror
