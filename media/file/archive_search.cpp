// Searching with a wildcard pattern, inside archives as on disk. Inside an archive the
// candidates of a folder are "." (0), ".." (1, not in the root) and then its entries.
#include <cstring>

#include "rorodiv_file.h"
#include "base/sjis.h"
#include "core/tracked_memory.h"
#include "file/archive_files.h"
#include "file/file_names.h"
#include "file/plain_file.h"
#include "file/search_handles.h"
#include "platform/files/directory.h"

namespace ror {

namespace {

struct ArchiveSearch {
    Archive* archive;
    char pattern[kArchivePathSize];  // upper-cased
    uint32_t folder;                 // DirectoryEntry offset of the folder searched
    uint32_t next;                   // the next candidate
};

struct SearchRecord {
    HandleHeader header;
    int32_t inArchive;
    int32_t archiveIndex;
    SearchValue plain;
    ArchiveSearch search;
};

DateTime ToLocalDateTime(uint64_t fileTime)
{
    SystemLocalTime local{};
    if (ToSystemLocalTime(FromEntryTime(fileTime), &local) != 0) return DateTime{};
    return DateTime{local.year, local.month, local.day, local.hour, local.minute, local.second};
}

// Moves to the next matching candidate: 0, or -1 when none is left.
int FindArchiveMatch(ArchiveSearch* search, FileInfo* info)
{
    const Archive* archive = search->archive;
    DirectoryEntry folder = ReadDirectoryEntry(archive, search->folder);
    uint32_t dots = search->folder == 0 ? 1 : 2;
    for (uint32_t k = search->next; k < dots + folder.count; ++k) {
        if (k < dots) {
            const char* name = k == 0 ? "." : "..";
            if (MatchWildcard(search->pattern, name) != 0) continue;
            if (info != nullptr) {
                *info = FileInfo{};
                std::strcpy(info->name, name);
                info->isDirectory = 1;
            }
        } else {
            const uint8_t* bytes = archive->fileTable + folder.firstEntry + uint64_t(k - dots) * archive->entrySize;
            FileEntry entry = ReadFileEntry(archive, bytes);
            if (MatchWildcard(search->pattern, EntryUpperName(archive, entry)) != 0) continue;
            if (info != nullptr) {
                *info = FileInfo{};
                SjisCopyCut(info->name, sizeof info->name, EntryName(archive, entry));
                info->isDirectory = (entry.attributes & kFolderAttribute) ? 1 : 0;
                info->sizeLow = info->isDirectory ? 0 : entry.dataSize;
                info->creationTime = ToLocalDateTime(entry.creationTime);
                info->lastWriteTime = ToLocalDateTime(entry.lastWriteTime);
            }
        }
        search->next = k + 1;
        return 0;
    }
    search->next = dots + folder.count;
    return -1;
}

// Starts the search for `inside` (a path inside the archive): 0, or -1.
int StartArchiveSearch(ArchiveSearch* search, Archive* archive, const char* inside, FileInfo* info)
{
    search->archive = archive;
    ptrdiff_t split = FindLastSeparator(inside, true);
    const char* pattern = inside + (split + 1);
    if (UpperCaseCopy(search->pattern, sizeof search->pattern, pattern) != 0) return -1;
    uint32_t before = archive->currentDir;
    int reached = 0;
    if (split > 0) {
        char folder[kFilePathSize * 2];
        std::memcpy(folder, inside, size_t(split));
        folder[split] = '\0';
        reached = ChangeArchiveDir(archive, folder, 1);
    }
    search->folder = archive->currentDir;
    archive->currentDir = before;
    if (reached != 0) return -1;
    search->next = 0;
    return FindArchiveMatch(search, info);
}

// Ends a started search and frees its record: 0, or -1 when the folder would not close.
int EndSearch(SearchRecord* record)
{
    int result = 0;
    if (record->inArchive)
        ReleaseArchiveUse(record->archiveIndex);
    else
        result = PlainFileFindClose(record->plain);
    TrackedFree(record);
    return result;
}

// Gives a started search its handle, or ends it when the table is full.
SearchValue RegisterSearch(SearchRecord* record)
{
    SearchValue value = AddSearchHandle(SearchHandles.archive, &record->header);
    if (value == kNoSearch) EndSearch(record);
    return value;
}

}  // namespace

SearchValue ArchiveAwareFileFindFirst(const char* pattern, FileInfo* info)
{
    auto* record = static_cast<SearchRecord*>(TrackedAllocZeroed(int32_t(sizeof(SearchRecord)), __FILE__, __LINE__));
    if (record == nullptr) return kNoSearch;
    char inside[kFilePathSize * 2];
    int32_t index = -1;
    if (!ResolveArchivePath(pattern, &index, inside, sizeof inside)) {
        record->plain = PlainFileFindFirst(pattern, info);
        if (record->plain == kNoSearch) {
            TrackedFree(record);
            return kNoSearch;
        }
        return RegisterSearch(record);
    }
    record->inArchive = 1;
    record->archiveIndex = index;
    if (StartArchiveSearch(&record->search, &ArchiveLayer.archives[index]->archive, inside, info) != 0) {
        ReleaseArchiveUse(index);
        TrackedFree(record);
        return kNoSearch;
    }
    return RegisterSearch(record);
}

int ArchiveAwareFileFindNext(SearchValue value, FileInfo* info)
{
    auto* record = reinterpret_cast<SearchRecord*>(ResolveSearch(value, SearchHandles.archive));
    if (record == nullptr) return -1;
    if (!record->inArchive) return PlainFileFindNext(record->plain, info);
    return FindArchiveMatch(&record->search, info);
}

int ArchiveAwareFileFindClose(SearchValue value)
{
    auto* record = reinterpret_cast<SearchRecord*>(ResolveSearch(value, SearchHandles.archive));
    if (record == nullptr) return -1;
    RemoveSearchHandle(SearchHandles.archive, &record->header);
    return EndSearch(record);
}

}  // namespace ror
