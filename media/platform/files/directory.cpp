#include "platform/files/directory.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace ror {

SystemDirectory OpenSystemDirectory(const char* path)
{
    char systemPath[PATH_MAX];
    if (ToSystemPath(systemPath, sizeof systemPath, path[0] == '\0' ? "." : path) != 0) return 0;
    DIR* directory = opendir(systemPath);
    return reinterpret_cast<SystemDirectory>(directory);
}

int ReadSystemDirectory(SystemDirectory directory, char* name, size_t size)
{
    if (directory == 0) return -1;
    // A name that does not come back as itself would send a walk to another file (or, cut
    // short, round in a circle), so it is not listed at all.
    while (dirent* entry = readdir(reinterpret_cast<DIR*>(directory)))
        if (ToLayerPath(name, size, entry->d_name) == 0) return 0;
    if (size > 0) name[0] = '\0';
    return -1;
}

int CloseSystemDirectory(SystemDirectory directory)
{
    if (directory == 0) return -1;
    return closedir(reinterpret_cast<DIR*>(directory)) == 0 ? 0 : -1;
}

int ReadSystemFileFacts(const char* path, SystemFileFacts* facts)
{
    char systemPath[PATH_MAX];
    if (ToSystemPath(systemPath, sizeof systemPath, path) != 0) return -1;
    return ReadFactsOfSystemPath(systemPath, facts);
}

int ReadFactsOfSystemPath(const char* systemPath, SystemFileFacts* facts)
{
    struct statx info {};
    if (statx(AT_FDCWD, systemPath, 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) return -1;
    facts->isDirectory = S_ISDIR(info.stx_mode) ? 1 : 0;
    facts->size = info.stx_size;
    facts->lastWriteTime = info.stx_mtime.tv_sec;
    facts->creationTime = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_ctime.tv_sec;
    return 0;
}

int ToSystemLocalTime(int64_t seconds, SystemLocalTime* out)
{
    time_t value = static_cast<time_t>(seconds);
    tm local{};
    if (localtime_r(&value, &local) == nullptr) return -1;
    *out = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return 0;
}

SystemFile CreateSystemTempFile(char* path, size_t size)
{
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0') folder = "/tmp";
    char name[PATH_MAX];
    size_t length = std::strlen(folder);
    const char* separator = folder[length - 1] == '/' ? "" : "/";
    if (length + 16 >= sizeof name) return kNoSystemFile;
    std::strcpy(name, folder);
    std::strcat(name, separator);
    std::strcat(name, "tmpXXXXXX");
    int file = mkostemp(name, O_CLOEXEC);
    if (file < 0) return kNoSystemFile;
    // The caller gets the name as a layer's path, to open and delete it by.
    if (path != nullptr && ToLayerPath(path, size, name) != 0) {
        close(file);
        unlink(name);
        return kNoSystemFile;
    }
    return file;
}

}  // namespace ror
