#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder that only this user can write to and that is really a folder.
bool IsPrivateFolder(const char* path)
{
    struct stat info{};
    if (lstat(path, &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 022) == 0 && access(path, W_OK | X_OK) == 0;
}

bool FindLockFolder(char* out, size_t size)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime)) {
        return std::snprintf(out, size, "%s", runtime) < static_cast<int>(size);
    }
    std::snprintf(out, size, "/tmp/rorodiv-%u", static_cast<unsigned>(getuid()));
    if (mkdir(out, 0700) != 0 && errno != EEXIST) return false;
    return IsPrivateFolder(out);
}

// Names may hold any bytes (cp932, slashes): the file is named by a 64-bit FNV-1a hash.
bool LockFilePath(const char* name, char* out, size_t size)
{
    const char* folder = InstanceLockFolder();
    if (folder[0] == '\0') return false;
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        hash = (hash ^ *p) * 0x100000001B3ull;
    }
    int length = std::snprintf(out, size, "%s/rorodiv-%016llx.lock", folder, static_cast<unsigned long long>(hash));
    return length > 0 && length < static_cast<int>(size);
}

}  // namespace

const char* InstanceLockFolder()
{
    static char folder[512];
    static bool found = FindLockFolder(folder, sizeof folder);
    if (!found) folder[0] = '\0';
    return folder;
}

int AcquireInstanceLock(const char* name, InstanceLock* lock)
{
    *lock = kNoInstanceLock;
    char path[600];
    if (!LockFilePath(name, path, sizeof path)) return 0;
    int file = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) return 0;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return -1;
    }
    lock->file = file;
    return 0;
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
    char path[600];
    if (!LockFilePath(name, path, sizeof path)) return 0;
    int file = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (file < 0) return 0;
    // A shared probe conflicts with a holder's exclusive lock but not with other probes.
    int held = flock(file, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(file);
    return held;
}
