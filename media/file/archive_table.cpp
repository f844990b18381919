// The table of open archives and the resolving of paths that lie under one.
#include <cctype>
#include <cstring>

#include "rorodiv_file.h"
#include "core/tracked_memory.h"
#include "file/archive_files.h"
#include "file/file_startup.h"
#include "file/file_names.h"
#include "core/last_failure.h"

namespace ror {

ArchiveLayerState ArchiveLayer;
ArchiveSettings ArchiveSetup = {"", ".ZAZ"};

void ClearArchiveTables() { ArchiveLayer = ArchiveLayerState{}; }

int ReleaseIdleArchives()
{
    for (ArchiveSlot*& slot : ArchiveLayer.archives) {
        if (slot == nullptr || slot->useCount > 0) continue;
        CloseArchive(&slot->archive);
        TrackedFree(slot);
        slot = nullptr;
        --ArchiveLayer.archiveCount;
    }
    return 0;
}

void ReleaseArchiveUse(int32_t archiveIndex)
{
    if (archiveIndex < 0 || archiveIndex >= kArchiveSlotCount) return;
    ArchiveSlot* slot = ArchiveLayer.archives[archiveIndex];
    if (slot != nullptr && slot->useCount > 0) --slot->useCount;
}

namespace {

int OpenArchiveWithExtension(Archive* archive, const char* realPrefix, size_t prefixLength, const char* extension)
{
    char path[kFilePathSize + 8];
    if (prefixLength + std::strlen(extension) >= sizeof path) return -1;
    std::memcpy(path, realPrefix, prefixLength);
    std::strcpy(path + prefixLength, extension);
    return OpenArchiveFile(archive, path, ArchiveSetup.keyText);
}

}  // namespace

int32_t OpenArchive(int32_t hint, const char* identity, const char* realPrefix, size_t prefixLength)
{
    if (std::strlen(identity) >= kArchivePathSize) return -1;
    if (hint >= 0 && hint < kArchiveSlotCount && ArchiveLayer.archives[hint] != nullptr &&
        std::strcmp(ArchiveLayer.archives[hint]->path, identity) == 0) {
        ++ArchiveLayer.archives[hint]->useCount;
        return hint;
    }
    int32_t freeSlot = -1;
    for (int32_t i = 0; i < kArchiveSlotCount; ++i) {
        ArchiveSlot* slot = ArchiveLayer.archives[i];
        if (slot == nullptr) {
            if (freeSlot < 0) freeSlot = i;
        } else if (std::strcmp(slot->path, identity) == 0) {
            ++slot->useCount;
            return i;
        }
    }
    if (freeSlot < 0) {
        ReleaseIdleArchives();
        for (int32_t i = 0; i < kArchiveSlotCount && freeSlot < 0; ++i)
            if (ArchiveLayer.archives[i] == nullptr) freeSlot = i;
        if (freeSlot < 0) return -1;
    }
    auto* slot = static_cast<ArchiveSlot*>(TrackedAllocZeroed(int32_t(sizeof(ArchiveSlot)), __FILE__, __LINE__));
    if (slot == nullptr) return -1;
    // The extension upper-cased, then in lower case (file names here are case-sensitive).
    char lower[sizeof ArchiveSetup.extension];
    for (size_t i = 0; i < sizeof lower; ++i) lower[i] = char(std::tolower(uint8_t(ArchiveSetup.extension[i])));
    if (OpenArchiveWithExtension(&slot->archive, realPrefix, prefixLength, ArchiveSetup.extension) != 0 &&
        OpenArchiveWithExtension(&slot->archive, realPrefix, prefixLength, lower) != 0) {
        TrackedFree(slot);
        return -1;
    }
    slot->useCount = 1;
    std::strcpy(slot->path, identity);
    ArchiveLayer.archives[freeSlot] = slot;
    ++ArchiveLayer.archiveCount;
    return freeSlot;
}

int ResolveArchivePath(const char* path, int32_t* archiveIndex, char* inside, size_t insideSize)
{
    char full[kFilePathSize * 2];
    char real[kFilePathSize * 2];
    if (path == nullptr || FullPath(path, true, full, sizeof full) != 0 ||
        FullPath(path, false, real, sizeof real) != 0)
        return 0;
    auto answer = [&](int32_t index, size_t separator) {
        const char* rest = full + separator + 1;
        if (std::strlen(rest) >= insideSize) {
            ReleaseArchiveUse(index);
            return 0;
        }
        std::strcpy(inside, rest);
        *archiveIndex = index;
        return 1;
    };

    size_t remembered = size_t(ArchiveLayer.lastPrefixLength);
    if (remembered > 0 && std::strncmp(full, ArchiveLayer.lastArchivePath, remembered) == 0 &&
        IsPathSeparator(full[remembered])) {
        int32_t index = OpenArchive(ArchiveLayer.lastArchiveIndex, ArchiveLayer.lastArchivePath, real, remembered);
        return index < 0 ? 0 : answer(index, remembered);
    }

    // The prefix keeps a leading "\\" or "\" (the root of a path without a drive).
    size_t at = IsPathSeparator(full[0]) ? (IsPathSeparator(full[1]) ? 2 : 1) : 0;
    for (;;) {
        size_t end = at;
        while (full[end] != '\0' && !IsPathSeparator(full[end])) end += SjisCharLength(full + end);
        if (end == at || full[end] == '\0') return 0;
        char candidate[kArchivePathSize];
        if (end + std::strlen(ArchiveSetup.extension) < sizeof candidate) {
            std::memcpy(candidate, full, end);
            std::strcpy(candidate + end, ArchiveSetup.extension);
            int32_t index = OpenArchive(-1, candidate, real, end);
            if (index >= 0) {
                std::strcpy(ArchiveLayer.lastArchivePath, candidate);
                ArchiveLayer.lastPrefixLength = int32_t(end);
                ArchiveLayer.lastArchiveIndex = index;
                return answer(index, end);
            }
        }
        at = end + 1;
    }
}

}  // namespace ror

using namespace ror;

int SetArchiveKey(const char* keyText)
{
    size_t length = keyText == nullptr ? 0 : std::strlen(keyText);
    if (length >= sizeof ArchiveSetup.keyText) return FailedArgument(__func__);
    std::memcpy(ArchiveSetup.keyText, keyText == nullptr ? "" : keyText, length + 1);
    // Idle archives were opened with the old key; the next use opens them afresh.
    ReleaseIdleArchives();
    return 0;
}

int SetArchiveExtension(const char* extension)
{
    if (extension == nullptr) return FailedArgument(__func__);
    const char* name = extension[0] == '.' ? extension + 1 : extension;
    size_t length = std::strlen(name);
    if (length == 0 || length + 2 > sizeof ArchiveSetup.extension) return FailedArgument(__func__);
    for (size_t i = 0; i < length; ++i)
        if (uint8_t(name[i]) >= 0x80 || IsPathSeparator(name[i]) || name[i] == '.') return FailedArgument(__func__);
    ArchiveSetup.extension[0] = '.';
    for (size_t i = 0; i <= length; ++i) ArchiveSetup.extension[i + 1] = char(std::toupper(uint8_t(name[i])));
    ArchiveLayer.lastPrefixLength = 0;
    ReleaseIdleArchives();
    return 0;
}
