// A lock per user and name that one process at a time can hold: the window classes of the
// layer take one named after the class while a window of the class exists, so another
// process can tell that it is running. The system drops it when its holder ends, however it ends.
#pragma once

struct InstanceLock {
    int file;  // the open lock file, -1 when not held
};

constexpr InstanceLock kNoInstanceLock{-1};

// 0 when taken (or when this user has no place for lock files: then nothing is locked),
// -1 when another holder has it.
int AcquireInstanceLock(const char* name, InstanceLock* lock);
void ReleaseInstanceLock(InstanceLock* lock);
// 1 when some holder other than the caller's open locks has the named lock, else 0.
int IsInstanceLockHeld(const char* name);

// The folder of the lock files: $XDG_RUNTIME_DIR when it is a usable folder of this user,
// else /tmp/rorodiv-<uid>. Empty when neither can be had.
const char* InstanceLockFolder();
