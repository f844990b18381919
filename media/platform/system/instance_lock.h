// A lock per user and name that one process at a time can hold: the window classes of the
// layer take one named after the class while a window of the class exists, so another
// process can tell that it is running. The system drops it when its holder ends, however it ends.
#pragma once
#include <cstddef>

namespace ror {

struct InstanceLock {
    int file;  // the open lock file, -1 when not held
};

constexpr InstanceLock kNoInstanceLock{-1};

// AcquireInstanceLock's result when no lock file could be opened in any lock folder (none
// usable, or each refused the file): nothing is locked and the caller is not guarded.
constexpr int kInstanceLockUnavailable = -2;

// 0 when taken, -1 when another holder has it, kInstanceLockUnavailable when it could not
// be made. The folders are tried in order; a lock file that cannot be opened in one sends
// the lock to the next.
int AcquireInstanceLock(const char* name, InstanceLock* lock);
void ReleaseInstanceLock(InstanceLock* lock);
// 1 when some holder other than the caller's open locks has the named lock in any of the
// folders, else 0.
int IsInstanceLockHeld(const char* name);

// The folders of the lock files, in the order tried: $XDG_RUNTIME_DIR when it is a usable
// folder of this user, then <$TMPDIR, else /tmp>/rorodiv-<uid> (made when missing) when it is
// one. Read from the environment at each use.
struct InstanceLockFolders {
    int count;
    char paths[2][512];
};
void FindInstanceLockFolders(InstanceLockFolders* out);
// The lock file of a name in a folder. 0, or -1 when the path does not fit.
int InstanceLockFilePath(const char* folder, const char* name, char* out, size_t size);

}  // namespace ror
