// The archive-aware file operations over file values slot | 0xF0000000. Files in an archive
// are read in place (stored) or from their expanded copy (compressed); asynchronous reads
// are descrambled and expanded once the archive's worker is done.
#include <cstring>

#include "rorodiv.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "file/archive_files.h"
#include "file/lz_block.h"
#include "file/plain_file.h"
#include "platform/system/clock.h"
#include "platform/files/files.h"

namespace ror {

namespace {

OpenFileRecord* ToRecord(FileValue file)
{
    if ((file & ~FileValue(0x0FFFFFFF)) != kArchiveFileTag) return nullptr;
    FileValue slot = file & 0x0FFFFFFF;
    return slot < FileValue(kOpenFileCount) ? ArchiveLayer.files[slot] : nullptr;
}

bool IsCompressed(const ArchiveFile& file) { return file.entry.compressedSize != kStoredUncompressed; }

uint32_t DataStart(const ArchiveFile& file) { return file.archive->header.dataOffset + file.entry.dataAddress; }

bool Expand(ArchiveFile* file, const uint8_t* block)
{
    return DecodeLzBlock(block, file->entry.compressedSize, file->expanded, file->entry.dataSize) ==
           int64_t(file->entry.dataSize);
}

// A compressed file whose stored block is no larger than this is read and expanded at open
// in every mode, so damage found while expanding fails the open alike. A larger one opened
// asynchronously expands once its block has arrived; damage found then fails its reads
// (0 bytes, at the end) and FileTell and FileSeek (-1).
constexpr uint32_t kAsyncExpandFloor = 256 << 10;

constexpr char kDamagedEntryLine[] = "ZAZファイルの中の圧縮されたファイルが壊れています\n";

uint32_t LoadLe32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Whether a compressed file's sizes can be true, judged before any block is taken for it:
// the stored block's own header agrees with the entry, and the codes it holds can expand to
// the entry's size (at most one longest match per four stored bytes).
bool CompressedSizesPlausible(const FileEntry& entry, const uint8_t* header)
{
    if (entry.compressedSize < kLzHeaderSize) return false;
    const uint64_t codes = entry.compressedSize - kLzHeaderSize;
    const uint64_t most = (codes / 4 + 1) * uint64_t(kLzMaxMatch);
    return entry.dataSize <= most && LoadLe32(header) == entry.dataSize && LoadLe32(header + 4) <= entry.compressedSize;
}

// 1 when nothing is pending any more.
int CheckPending(ArchiveFile* file)
{
    if (!file->async || file->pending == PendingWork::None) return 1;
    if (PlainFileIdle(file->archive->sourceFile) == 0) return 0;
    if (file->pending == PendingWork::StoredBlock) {
        ScrambleBytes(file->stored, file->entry.compressedSize, file->pendingOffset, file->archive->key);
        file->damaged = Expand(file, file->stored) ? 0 : 1;
        if (file->damaged) LogWrite(kDamagedEntryLine);
        TrackedFree(file->stored);
        file->stored = nullptr;
    } else {
        ScrambleBytes(file->pendingDestination, file->pendingLength, file->pendingOffset, file->archive->key);
    }
    file->pending = PendingWork::None;
    return 1;
}

void FinishPending(ArchiveFile* file)
{
    while (CheckPending(file) == 0) SystemSleep(1);
}

// Sets up the file's bytes: 0, or -1 when they cannot be had.
int PrepareArchiveFile(ArchiveFile* file)
{
    if (!IsCompressed(*file)) return 0;
    Archive* archive = file->archive;
    // The index was checked at open to keep the stored block inside the archive.
    uint8_t header[kLzHeaderSize];
    if (archive->inMemory) {
        std::memcpy(header, archive->image + DataStart(*file), kLzHeaderSize);
    } else if (SeekArchiveFile(archive, DataStart(*file)) != 0 ||
               ReadArchiveRange(archive, header, kLzHeaderSize) != int64_t(kLzHeaderSize)) {
        return -1;
    }
    if (!CompressedSizesPlausible(file->entry, header)) return LogWrite(kDamagedEntryLine);
    uint32_t size = file->entry.dataSize;
    file->expanded = static_cast<uint8_t*>(TrackedAlloc(int32_t(size > 0 ? size : 1), __FILE__, __LINE__));
    if (file->expanded == nullptr) return -1;
    if (archive->inMemory) return Expand(file, archive->image + DataStart(*file)) ? 0 : LogWrite(kDamagedEntryLine);
    uint32_t stored = file->entry.compressedSize;
    file->stored = static_cast<uint8_t*>(TrackedAlloc(int32_t(stored), __FILE__, __LINE__));
    if (file->stored == nullptr || SeekArchiveFile(archive, DataStart(*file)) != 0) return -1;
    if (file->async && stored > kAsyncExpandFloor) {
        file->pendingOffset = StartArchiveRead(archive, file->stored, stored);
        file->pending = PendingWork::StoredBlock;
        return 0;
    }
    bool expanded = ReadArchiveRange(archive, file->stored, stored) == int64_t(stored) && Expand(file, file->stored);
    TrackedFree(file->stored);
    file->stored = nullptr;
    return expanded ? 0 : LogWrite(kDamagedEntryLine);
}

void ReleaseBuffers(ArchiveFile* file)
{
    if (file->expanded != nullptr) TrackedFree(file->expanded);
    if (file->stored != nullptr) TrackedFree(file->stored);
    file->expanded = nullptr;
    file->stored = nullptr;
}

size_t ReadInArchive(ArchiveFile* file, uint8_t* destination, size_t elementSize, size_t count)
{
    FinishPending(file);
    if (file->damaged) file->atEnd = 1;
    if (file->atEnd) return 0;
    uint32_t size = file->entry.dataSize;
    if (file->position >= size) {
        file->atEnd = 1;
        return 0;
    }
    uint64_t request = count != 0 && elementSize > UINT64_MAX / count ? UINT64_MAX : uint64_t(elementSize) * count;
    uint32_t n = uint32_t(request < size - file->position ? request : size - file->position);
    Archive* archive = file->archive;
    if (IsCompressed(*file)) {
        std::memcpy(destination, file->expanded + file->position, n);
    } else if (archive->inMemory) {
        std::memcpy(destination, archive->image + DataStart(*file) + file->position, n);
    } else {
        uint32_t offset = DataStart(*file) + file->position;
        if (archive->filePosition != offset) SeekArchiveFile(archive, offset);
        if (file->async) {
            file->pendingOffset = StartArchiveRead(archive, destination, n);
            file->pending = PendingWork::PlainRead;
            file->pendingDestination = destination;
            file->pendingLength = n;
        } else {
            ReadArchiveRange(archive, destination, n);
        }
    }
    file->position += n;
    file->atEnd = 0;
    return n;
}

}  // namespace

FileValue ArchiveAwareFileOpen(const char* path, int32_t useCache, int32_t, int32_t async)
{
    if (ArchiveLayer.fileCount >= kOpenFileCount) return LogWrite("同時に開けるファイルの数が限界を超えました\n"), 0;
    int32_t slot = 0;
    while (slot < kOpenFileCount && ArchiveLayer.files[slot] != nullptr) ++slot;
    if (slot == kOpenFileCount) return LogWrite("同時に開けるファイルの数が限界を超えました\n"), 0;
    auto* record =
        static_cast<OpenFileRecord*>(TrackedAllocZeroed(int32_t(sizeof(OpenFileRecord)), __FILE__, __LINE__));
    if (record == nullptr) return LogWrite("ファイルの情報を格納するメモリの確保に失敗しました\n"), 0;
    char inside[kFilePathSize * 2];
    int32_t index = -1;
    if (!ResolveArchivePath(path, &index, inside, sizeof inside)) {
        record->plain = PlainFileOpen(path, useCache, 1, async);
        if (record->plain == 0) {
            TrackedFree(record);
            return 0;
        }
    } else {
        record->inArchive = 1;
        record->archiveIndex = index;
        Archive* archive = &ArchiveLayer.archives[index]->archive;
        const uint8_t* entry = FindArchiveEntry(archive, inside);
        if (entry == nullptr) {
            ReleaseArchiveUse(index);
            TrackedFree(record);
            return LogWrite("ZAZファイルの中に指定のファイルは見つかりませんでした\n"), 0;
        }
        ArchiveFile& file = record->file;
        file.archive = archive;
        file.entry = ReadFileEntry(archive, entry);
        file.async = async;
        if (PrepareArchiveFile(&file) != 0) {
            FinishPending(&file);
            ReleaseBuffers(&file);
            ReleaseArchiveUse(index);
            TrackedFree(record);
            return 0;
        }
    }
    ArchiveLayer.files[slot] = record;
    ++ArchiveLayer.fileCount;
    return FileValue(slot) | kArchiveFileTag;
}

int ArchiveAwareFileClose(FileValue value)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr) return -1;
    if (record->inArchive) {
        ReleaseArchiveUse(record->archiveIndex);
        FinishPending(&record->file);
        ReleaseBuffers(&record->file);
    } else {
        PlainFileClose(record->plain);
    }
    TrackedFree(record);
    ArchiveLayer.files[value & 0x0FFFFFFF] = nullptr;
    --ArchiveLayer.fileCount;
    return 0;
}

int64_t ArchiveAwareFileTell(FileValue value)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr) return -1;
    if (!record->inArchive) return PlainFileTell(record->plain);
    FinishPending(&record->file);
    return record->file.damaged ? -1 : int64_t(record->file.position);
}

int ArchiveAwareFileSeek(FileValue value, int32_t offset, int origin)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr || origin < kSeekStart || origin > kSeekEnd) return -1;
    if (!record->inArchive) return PlainFileSeek(record->plain, offset, origin);
    ArchiveFile& file = record->file;
    FinishPending(&file);
    if (file.damaged) return -1;
    int64_t size = file.entry.dataSize;
    int64_t base = origin == kSeekStart ? 0 : origin == kSeekCurrent ? int64_t(file.position) : size;
    int64_t target = base + offset;
    file.position = uint32_t(target < 0 ? 0 : target > size ? size : target);
    file.atEnd = 0;
    return 0;
}

size_t ArchiveAwareFileRead(void* destination, size_t elementSize, size_t count, FileValue value)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr) return 0;
    if (!record->inArchive) return PlainFileRead(destination, elementSize, count, record->plain);
    return ReadInArchive(&record->file, static_cast<uint8_t*>(destination), elementSize, count);
}

int ArchiveAwareFileAtEnd(FileValue value)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr) return -1;
    if (!record->inArchive) return PlainFileAtEnd(record->plain);
    FinishPending(&record->file);
    return record->file.atEnd ? -1 : 0;
}

int ArchiveAwareFileIdle(FileValue value)
{
    OpenFileRecord* record = ToRecord(value);
    if (record == nullptr) return -1;
    if (!record->inArchive) return PlainFileIdle(record->plain);
    return CheckPending(&record->file);
}

int ArchiveAwareSetCurrentDir(const char* path) { return path == nullptr ? -1 : SetSystemCurrentDirectory(path); }

int ArchiveAwareGetCurrentDir(char* buffer)
{
    return buffer == nullptr ? -1 : GetSystemCurrentDirectory(buffer, kArchivePathSize);
}

}  // namespace ror
