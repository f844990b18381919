// Searching a folder of the operating system with a wildcard pattern, and the current
// folder. Letters match regardless of ASCII case.
#include "rorodiv_file.h"
#include "file/plain_file.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/sjis.h"
#include "core/tracked_memory.h"
#include "file/file_names.h"
#include "file/search_handles.h"
#include "platform/files/directory.h"

namespace ror {

namespace {

struct PlainSearch {
    HandleHeader header;
    SystemDirectory directory;
    char folder[kFilePathSize];   // "" for the current folder
    char pattern[kFilePathSize];  // upper-cased
};

DateTime ToDateTime(int64_t seconds)
{
    SystemLocalTime local{};
    if (ToSystemLocalTime(seconds, &local) != 0) return DateTime{};
    return DateTime{local.year, local.month, local.day, local.hour, local.minute, local.second};
}

void FillFileInfo(const PlainSearch* search, const char* name, FileInfo* info)
{
    *info = FileInfo{};
    SjisCopyCut(info->name, sizeof info->name, name);
    char path[2 * kFilePathSize];
    if (search->folder[0] == '\0')
        std::strcpy(path, name);
    else
        std::snprintf(path, sizeof path, "%s/%s", search->folder, name);
    SystemFileFacts facts{};
    if (ReadSystemFileFacts(path, &facts) != 0) return;
    info->isDirectory = facts.isDirectory;
    info->sizeLow = uint32_t(facts.size);
    info->sizeHigh = uint32_t(facts.size >> 32);
    info->creationTime = ToDateTime(facts.creationTime);
    info->lastWriteTime = ToDateTime(facts.lastWriteTime);
}

// Moves to the next entry that matches; 0, or -1 when none is left.
int FindNextMatch(PlainSearch* search, FileInfo* info)
{
    char name[kFilePathSize];
    char upperName[kFilePathSize];
    while (ReadSystemDirectory(search->directory, name, sizeof name) == 0) {
        if (UpperCaseCopy(upperName, sizeof upperName, name) != 0 || MatchWildcard(search->pattern, upperName) != 0)
            continue;
        if (info != nullptr) FillFileInfo(search, name, info);
        return 0;
    }
    return -1;
}

}  // namespace

SearchValue PlainFileFindFirst(const char* pattern, FileInfo* info)
{
    if (pattern == nullptr) return kNoSearch;
    void* memory = TrackedAllocZeroed(int32_t(sizeof(PlainSearch)), __FILE__, __LINE__);
    if (memory == nullptr) return kNoSearch;
    auto* search = new (memory) PlainSearch{};
    ptrdiff_t split = FindLastSeparator(pattern, false);
    size_t folderLength = split < 0 ? 0 : split == 0 ? 1 : size_t(split);
    const char* namePattern = pattern + (split < 0 ? 0 : split + 1);
    if (folderLength >= sizeof search->folder ||
        UpperCaseCopy(search->pattern, sizeof search->pattern, namePattern) != 0) {
        TrackedFree(search);
        return kNoSearch;
    }
    std::memcpy(search->folder, pattern, folderLength);
    search->folder[folderLength] = '\0';
    search->directory = OpenSystemDirectory(search->folder);
    SearchValue value = kNoSearch;
    if (search->directory != 0 && FindNextMatch(search, info) == 0)
        value = AddSearchHandle(SearchHandles.plain, &search->header);
    if (value == kNoSearch) {
        CloseSystemDirectory(search->directory);
        TrackedFree(search);
    }
    return value;
}

int PlainFileFindNext(SearchValue value, FileInfo* info)
{
    auto* search = reinterpret_cast<PlainSearch*>(ResolveSearch(value, SearchHandles.plain));
    if (search == nullptr) return -1;
    return FindNextMatch(search, info);
}

int PlainFileFindClose(SearchValue value)
{
    auto* search = reinterpret_cast<PlainSearch*>(ResolveSearch(value, SearchHandles.plain));
    if (search == nullptr) return -1;
    RemoveSearchHandle(SearchHandles.plain, &search->header);
    int result = CloseSystemDirectory(search->directory);
    TrackedFree(search);
    return result;
}

}  // namespace ror
