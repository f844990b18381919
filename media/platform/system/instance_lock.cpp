#include "platform/system/instance_lock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ror {

namespace {

// A folder that only this user can write to and that is really a folder.
bool IsPrivateFolder(const char* path)
{
    struct stat info {};
    if (lstat(path, &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 022) == 0 &&
           access(path, W_OK | X_OK) == 0;
}

bool FitsIn(int length, size_t size) { return length > 0 && static_cast<size_t>(length) < size; }

}  // namespace

void FindInstanceLockFolders(InstanceLockFolders* out)
{
    out->count = 0;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime) &&
        FitsIn(std::snprintf(out->paths[out->count], sizeof out->paths[0], "%s", runtime), sizeof out->paths[0])) {
        ++out->count;
    }
    const char* temporary = std::getenv("TMPDIR");
    if (!temporary || temporary[0] != '/') temporary = "/tmp";
    char* fallback = out->paths[out->count];
    if (!FitsIn(std::snprintf(fallback, sizeof out->paths[0], "%s/rorodiv-%u", temporary,
                              static_cast<unsigned>(getuid())),
                sizeof out->paths[0])) {
        return;
    }
    if (mkdir(fallback, 0700) != 0 && errno != EEXIST) return;
    if (IsPrivateFolder(fallback)) ++out->count;
}

// Names may hold any bytes (cp932, slashes): the file is named by a 64-bit FNV-1a hash.
int InstanceLockFilePath(const char* folder, const char* name, char* out, size_t size)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        hash = (hash ^ *p) * 0x100000001B3ull;
    }
    const int length =
        std::snprintf(out, size, "%s/rorodiv-%016llx.lock", folder, static_cast<unsigned long long>(hash));
    return FitsIn(length, size) ? 0 : -1;
}

int AcquireInstanceLock(const char* name, InstanceLock* lock)
{
    *lock = kNoInstanceLock;
    InstanceLockFolders folders;
    FindInstanceLockFolders(&folders);
    for (int i = 0; i < folders.count; ++i) {
        char path[600];
        if (InstanceLockFilePath(folders.paths[i], name, path, sizeof path) != 0) continue;
        const int file = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (file < 0) continue;
        if (flock(file, LOCK_EX | LOCK_NB) != 0) {
            close(file);
            return -1;
        }
        lock->file = file;
        return 0;
    }
    return kInstanceLockUnavailable;
}

void ReleaseInstanceLock(InstanceLock* lock)
{
    if (lock->file < 0) return;
    // Closing drops the lock; the file stays, so a waiting prober never sees it vanish.
    close(lock->file);
    lock->file = -1;
}

int IsInstanceLockHeld(const char* name)
{
    InstanceLockFolders folders;
    FindInstanceLockFolders(&folders);
    for (int i = 0; i < folders.count; ++i) {
        char path[600];
        if (InstanceLockFilePath(folders.paths[i], name, path, sizeof path) != 0) continue;
        const int file = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (file < 0) continue;
        // A shared probe conflicts with a holder's exclusive lock but not with other probes.
        const int held = flock(file, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        close(file);
        if (held) return 1;
    }
    return 0;
}

}  // namespace ror
