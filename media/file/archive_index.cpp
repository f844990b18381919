// Reading the archive's header and index block, and the one place where they are checked:
// after ValidateArchive, every folder, entry and name reachable from the root is in range.
#include <cstring>

#include "core/tracked_memory.h"
#include "file/archive.h"

namespace ror {

namespace {

uint16_t LoadU16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

uint32_t LoadU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint64_t LoadU64(const uint8_t* bytes) { return uint64_t(LoadU32(bytes)) | uint64_t(LoadU32(bytes + 4)) << 32; }

// A name record: 2-byte units L, 2-byte check sum, two copies of 4·L bytes, each ending in
// a zero byte so that both read as terminated texts.
bool NameRecordFits(const Archive* archive, uint32_t offset)
{
    uint64_t indexSize = archive->header.indexSize;
    if (uint64_t(offset) + 4 > indexSize) return false;
    uint64_t units = LoadU16(archive->nameTable + offset);
    uint64_t copy = 4 * units;
    if (units == 0 || offset + 4 + 2 * copy > indexSize) return false;
    const uint8_t* upper = archive->nameTable + offset + 4;
    return upper[copy - 1] == 0 && upper[2 * copy - 1] == 0;
}

bool FileDataFits(const Archive* archive, const FileEntry& entry)
{
    bool compressed = entry.compressedSize != kStoredUncompressed;
    uint64_t stored = compressed ? entry.compressedSize : entry.dataSize;
    if (compressed && entry.compressedSize < 9) return false;
    // Buffers of a file's bytes come from the allocator, whose sizes are signed 32-bit.
    if (entry.dataSize > uint32_t(INT32_MAX) || stored > uint32_t(INT32_MAX)) return false;
    return uint64_t(archive->header.dataOffset) + entry.dataAddress + stored <= archive->archiveSize;
}

struct IndexWalk {
    uint32_t dirCount;
    uint8_t* visited;   // one byte per folder slot of the directory table
    uint32_t* pending;  // folders still to check
    uint32_t pendingCount;
    uint64_t entriesLeft;  // a tree lists every entry at most once
};

bool CheckFolder(const Archive* archive, IndexWalk* walk, uint32_t dirOffset)
{
    DirectoryEntry folder = ReadDirectoryEntry(archive, dirOffset);
    uint64_t fileTableSize = archive->header.indexSize - archive->header.fileTableOffset;
    if (folder.count > walk->entriesLeft) return false;
    walk->entriesLeft -= folder.count;
    if (folder.firstEntry > fileTableSize ||
        uint64_t(folder.count) * archive->entrySize > fileTableSize - folder.firstEntry)
        return false;
    for (uint32_t i = 0; i < folder.count; ++i) {
        FileEntry entry =
            ReadFileEntry(archive, archive->fileTable + folder.firstEntry + uint64_t(i) * archive->entrySize);
        if (!NameRecordFits(archive, entry.nameOffset)) return false;
        if ((entry.attributes & kFolderAttribute) == 0) {
            if (!FileDataFits(archive, entry)) return false;
            continue;
        }
        uint32_t child = entry.dataAddress;
        if (child % kDirectoryEntrySize != 0 || child / kDirectoryEntrySize >= walk->dirCount) return false;
        if (walk->visited[child / kDirectoryEntrySize] != 0 || ReadDirectoryEntry(archive, child).parent != dirOffset)
            return false;
        walk->visited[child / kDirectoryEntrySize] = 1;
        walk->pending[walk->pendingCount++] = child;
    }
    return true;
}

}  // namespace

ArchiveHeader ParseArchiveHeader(const uint8_t* bytes)
{
    return ArchiveHeader{LoadU16(bytes),      LoadU16(bytes + 2),  LoadU32(bytes + 4), LoadU32(bytes + 8),
                         LoadU32(bytes + 12), LoadU32(bytes + 16), LoadU32(bytes + 20)};
}

FileEntry ReadFileEntry(const Archive* archive, const uint8_t* entry)
{
    FileEntry out{};
    out.nameOffset = LoadU32(entry);
    out.attributes = LoadU32(entry + 4);
    out.creationTime = LoadU64(entry + 8);
    out.lastAccessTime = LoadU64(entry + 16);
    out.lastWriteTime = LoadU64(entry + 24);
    out.dataAddress = LoadU32(entry + 32);
    out.dataSize = LoadU32(entry + 36);
    out.compressedSize = archive->header.version >= 2 ? LoadU32(entry + 40) : kStoredUncompressed;
    return out;
}

DirectoryEntry ReadDirectoryEntry(const Archive* archive, uint32_t offset)
{
    const uint8_t* bytes = archive->dirTable + offset;
    return DirectoryEntry{LoadU32(bytes + 4), LoadU32(bytes + 8), LoadU32(bytes + 12)};
}

const char* EntryUpperName(const Archive* archive, const FileEntry& entry)
{
    return reinterpret_cast<const char*>(archive->nameTable + entry.nameOffset + 4);
}

const char* EntryName(const Archive* archive, const FileEntry& entry)
{
    uint32_t units = LoadU16(archive->nameTable + entry.nameOffset);
    return reinterpret_cast<const char*>(archive->nameTable + entry.nameOffset + 4 + 4 * units);
}

int ValidateArchive(Archive* archive)
{
    const ArchiveHeader& header = archive->header;
    if (header.magic != kArchiveMagic || header.version == 0 || header.version > kArchiveNewestVersion) return -1;
    if (header.indexSize > uint32_t(INT32_MAX) || header.dataOffset > archive->archiveSize ||
        uint64_t(header.indexOffset) + header.indexSize > archive->archiveSize)
        return -1;
    if (header.fileTableOffset > header.indexSize || header.dirTableOffset > header.indexSize ||
        header.indexSize - header.dirTableOffset < kDirectoryEntrySize)
        return -1;
    archive->entrySize = header.version == 1 ? kFileEntrySizeV1 : kFileEntrySize;
    archive->nameTable = archive->indexBlock;
    archive->fileTable = archive->indexBlock + header.fileTableOffset;
    archive->dirTable = archive->indexBlock + header.dirTableOffset;
    if (ReadDirectoryEntry(archive, 0).parent != kNoParent) return -1;

    IndexWalk walk{};
    walk.dirCount = (header.indexSize - header.dirTableOffset) / kDirectoryEntrySize;
    walk.entriesLeft = (header.indexSize - header.fileTableOffset) / archive->entrySize;
    walk.visited = static_cast<uint8_t*>(TrackedAllocZeroed(int32_t(walk.dirCount), __FILE__, __LINE__));
    walk.pending = static_cast<uint32_t*>(TrackedAlloc(int32_t(walk.dirCount * sizeof(uint32_t)), __FILE__, __LINE__));
    bool intact = walk.visited != nullptr && walk.pending != nullptr;
    if (intact) {
        walk.visited[0] = 1;
        walk.pending[walk.pendingCount++] = 0;
        while (intact && walk.pendingCount > 0) intact = CheckFolder(archive, &walk, walk.pending[--walk.pendingCount]);
    }
    if (walk.visited != nullptr) TrackedFree(walk.visited);
    if (walk.pending != nullptr) TrackedFree(walk.pending);
    archive->currentDir = 0;
    return intact ? 0 : -1;
}

}  // namespace ror
