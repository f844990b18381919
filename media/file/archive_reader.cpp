// Opening one archive from a file or an image, moving through its folders and finding
// its entries.
#include <cstring>

#include "rorodiv_file.h"
#include "core/tracked_memory.h"
#include "file/archive.h"
#include "file/file_names.h"
#include "file/plain_file.h"

namespace ror {

namespace {

constexpr uint32_t kNameComponentMax = kFilePathSize;

// A path component in the form of a name record: upper-cased, zero-padded to 4·units bytes.
struct NameKey {
    uint16_t units;
    uint16_t checkSum;
    uint8_t upper[kNameComponentMax + 4];
};

bool MakeNameKey(const char* component, size_t length, NameKey* key)
{
    if (length >= kNameComponentMax) return false;
    char text[kNameComponentMax];
    std::memcpy(text, component, length);
    text[length] = '\0';
    std::memset(key->upper, 0, sizeof key->upper);
    UpperCaseCopy(reinterpret_cast<char*>(key->upper), sizeof key->upper, text);
    key->units = uint16_t((length + 4) / 4);
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum += key->upper[i];
    key->checkSum = uint16_t(sum);
    return true;
}

// The entry of `folderOffset` named like `key`, among folders or among files; null when none.
const uint8_t* FindInFolder(const Archive* archive, uint32_t folderOffset, const NameKey& key, bool wantFolder)
{
    DirectoryEntry folder = ReadDirectoryEntry(archive, folderOffset);
    const uint8_t* entry = archive->fileTable + folder.firstEntry;
    for (uint32_t i = 0; i < folder.count; ++i, entry += archive->entrySize) {
        FileEntry fields = ReadFileEntry(archive, entry);
        if (((fields.attributes & kFolderAttribute) != 0) != wantFolder) continue;
        const uint8_t* record = archive->nameTable + fields.nameOffset;
        uint16_t units = uint16_t(record[0] | record[1] << 8);
        uint16_t checkSum = uint16_t(record[2] | record[3] << 8);
        if (units == key.units && checkSum == key.checkSum && std::memcmp(record + 4, key.upper, 4u * units) == 0)
            return entry;
    }
    return nullptr;
}

// Enters the folder `name` (length bytes) of the current folder: 0, or -1 when missing.
int EnterFolder(Archive* archive, const char* name, size_t length)
{
    NameKey key;
    if (!MakeNameKey(name, length, &key)) return -1;
    const uint8_t* entry = FindInFolder(archive, archive->currentDir, key, true);
    if (entry == nullptr) return -1;
    archive->currentDir = ReadFileEntry(archive, entry).dataAddress;
    return 0;
}

// Walks the components of path[0, length): an empty component before a separator goes to
// the root, each other one is entered as a folder ("." and ".." are names like any other).
int WalkFolders(Archive* archive, const char* path, size_t length)
{
    size_t start = 0;
    size_t i = 0;
    while (i <= length) {
        bool atSeparator = i < length && IsPathSeparator(path[i]);
        if (i == length || atSeparator) {
            if (i == start) {
                if (atSeparator) archive->currentDir = 0;
            } else if (EnterFolder(archive, path + start, i - start) != 0) {
                return -1;
            }
            start = i + 1;
            if (i == length) break;
            ++i;
            continue;
        }
        i += SjisCharLength(path + i);
    }
    return 0;
}

bool HasMagic(const uint8_t* raw, const ArchiveKey& key)
{
    uint8_t copy[4];
    std::memcpy(copy, raw, 4);
    ScrambleBytes(copy, 4, 0, key);
    return copy[0] == 'Z' && copy[1] == 'A';
}

// The key under which the raw header reads "ZA": the derived one, else the fallback.
bool ChooseKey(const uint8_t* rawHeader, const char* keyText, ArchiveKey* key)
{
    *key = DeriveArchiveKey(keyText);
    if (HasMagic(rawHeader, *key)) return true;
    *key = FallbackArchiveKey();
    return HasMagic(rawHeader, *key);
}

void ReleaseFileArchive(Archive* archive)
{
    if (archive->indexBlock != nullptr) TrackedFree(archive->indexBlock);
    CloseSystemFile(archive->directFile);
    PlainFileClose(archive->sourceFile);
    *archive = Archive{};
}

}  // namespace

int SeekArchiveFile(Archive* archive, uint32_t offset)
{
    if (archive->inMemory || archive->sourceFile == 0) return -1;
    archive->filePosition = offset;
    return 0;
}

int64_t ReadArchiveRange(Archive* archive, void* destination, uint32_t length)
{
    // Synchronous reads need no worker: a hand-over per read would only add the wait for
    // the worker's time slice to every read.
    if (archive->inMemory || archive->directFile == kNoSystemFile) return -1;
    // In pieces, so that each is descrambled while the system's copy of it is still in
    // the processor's cache.
    constexpr uint32_t kPiece = 256 << 10;
    auto* bytes = static_cast<uint8_t*>(destination);
    uint32_t done = 0;
    while (done < length) {
        uint32_t want = length - done < kPiece ? length - done : kPiece;
        int64_t got = ReadSystemFileAt(archive->directFile, bytes + done, want, archive->filePosition);
        if (got < 0) return done == 0 ? -1 : int64_t(done);
        ScrambleBytes(bytes + done, size_t(got), archive->filePosition, archive->key);
        archive->filePosition += uint32_t(got);
        done += uint32_t(got);
        if (uint32_t(got) < want) break;
    }
    return done;
}

uint32_t StartArchiveRead(Archive* archive, void* destination, uint32_t length)
{
    uint32_t offset = archive->filePosition;
    // The file layer seeks by signed 32-bit offsets: reach the far half in two steps.
    if (offset <= uint32_t(INT32_MAX)) {
        PlainFileSeek(archive->sourceFile, int32_t(offset), kSeekStart);
    } else {
        PlainFileSeek(archive->sourceFile, INT32_MAX, kSeekStart);
        PlainFileSeek(archive->sourceFile, int32_t(offset - uint32_t(INT32_MAX)), kSeekCurrent);
    }
    PlainFileRead(destination, 1, length, archive->sourceFile);
    archive->filePosition += length;
    return offset;
}

int OpenArchiveFile(Archive* archive, const char* path, const char* keyText)
{
    if (archive->isOpen) return -1;
    *archive = Archive{};
    archive->directFile = kNoSystemFile;
    archive->sourceFile = PlainFileOpen(path, 0, 0, 1);
    if (archive->sourceFile == 0) return -1;
    archive->directFile = OpenSystemFile(path, FileOpenMode::Read);
    archive->archiveSize = reinterpret_cast<PlainFile*>(archive->sourceFile)->size;
    uint8_t raw[kArchiveHeaderSize];
    if (archive->directFile == kNoSystemFile || archive->archiveSize < kArchiveHeaderSize ||
        ReadSystemFileAt(archive->directFile, raw, kArchiveHeaderSize, 0) != kArchiveHeaderSize)
        return ReleaseFileArchive(archive), -1;
    if (!ChooseKey(raw, keyText, &archive->key)) return ReleaseFileArchive(archive), -1;
    ScrambleBytes(raw, kArchiveHeaderSize, 0, archive->key);
    archive->header = ParseArchiveHeader(raw);
    const ArchiveHeader& header = archive->header;
    if (header.version == 0 || header.version > kArchiveNewestVersion || header.indexSize > uint32_t(INT32_MAX) ||
        uint64_t(header.indexOffset) + header.indexSize > archive->archiveSize)
        return ReleaseFileArchive(archive), -1;
    archive->indexBlock = static_cast<uint8_t*>(TrackedAllocZeroed(int32_t(header.indexSize), __FILE__, __LINE__));
    if (archive->indexBlock == nullptr || SeekArchiveFile(archive, header.indexOffset) != 0 ||
        ReadArchiveRange(archive, archive->indexBlock, header.indexSize) != int64_t(header.indexSize) ||
        ValidateArchive(archive) != 0)
        return ReleaseFileArchive(archive), -1;
    archive->isOpen = 1;
    return 0;
}

int OpenArchiveImage(Archive* archive, uint8_t* image, uint32_t size, const char* keyText)
{
    if (archive->isOpen || image == nullptr || size < kArchiveHeaderSize) return -1;
    ArchiveKey key;
    if (!ChooseKey(image, keyText, &key)) return -1;
    ScrambleBytes(image, size, 0, key);
    *archive = Archive{};
    archive->key = key;
    archive->header = ParseArchiveHeader(image);
    archive->image = image;
    archive->imageSize = size;
    archive->archiveSize = size;
    archive->inMemory = 1;
    archive->callerImage = 1;
    const ArchiveHeader& header = archive->header;
    if (header.indexSize > uint32_t(INT32_MAX) || uint64_t(header.indexOffset) + header.indexSize > size) {
        ScrambleBytes(image, size, 0, key);
        *archive = Archive{};
        return -1;
    }
    archive->indexBlock = image + header.indexOffset;
    if (ValidateArchive(archive) != 0) {
        ScrambleBytes(image, size, 0, key);
        *archive = Archive{};
        return -1;
    }
    archive->isOpen = 1;
    return 0;
}

int CloseArchive(Archive* archive)
{
    if (!archive->isOpen) return 0;
    if (archive->inMemory) {
        if (archive->callerImage) ScrambleBytes(archive->image, archive->imageSize, 0, archive->key);
        *archive = Archive{};
        return 0;
    }
    ReleaseFileArchive(archive);
    return 0;
}

int ChangeArchiveDir(Archive* archive, const char* path, int restoreOnFailure)
{
    if (!archive->isOpen || path == nullptr) return -1;
    if (std::strcmp(path, ".") == 0) return 0;
    if (std::strcmp(path, "\\") == 0 || std::strcmp(path, "/") == 0) {
        archive->currentDir = 0;
        return 0;
    }
    if (std::strcmp(path, "..") == 0) {
        uint32_t parent = ReadDirectoryEntry(archive, archive->currentDir).parent;
        if (parent == kNoParent) return -1;
        archive->currentDir = parent;
        return 0;
    }
    uint32_t before = archive->currentDir;
    size_t length = std::strlen(path);
    // A trailing separator ends the walk.
    if (length > 0 && IsPathSeparator(path[length - 1]) && FindLastSeparator(path, false) == ptrdiff_t(length - 1))
        --length;
    if (WalkFolders(archive, path, length) == 0) return 0;
    if (restoreOnFailure) archive->currentDir = before;
    return -1;
}

const uint8_t* FindArchiveEntry(Archive* archive, const char* path)
{
    if (!archive->isOpen || path == nullptr) return nullptr;
    uint32_t before = archive->currentDir;
    ptrdiff_t split = FindLastSeparator(path, false);
    const char* name = path + (split + 1);
    const uint8_t* found = nullptr;
    NameKey key;
    if (name[0] != '\0' && (split < 0 || WalkFolders(archive, path, size_t(split + 1)) == 0) &&
        MakeNameKey(name, std::strlen(name), &key))
        found = FindInFolder(archive, archive->currentDir, key, false);
    archive->currentDir = before;
    return found;
}

int LocateArchiveEntry(Archive* archive, const char* path, uint32_t* offset, uint32_t* size)
{
    const uint8_t* entry = FindArchiveEntry(archive, path);
    if (entry == nullptr) return -1;
    FileEntry fields = ReadFileEntry(archive, entry);
    *offset = archive->header.dataOffset + fields.dataAddress;
    *size = fields.dataSize;
    return 0;
}

}  // namespace ror
