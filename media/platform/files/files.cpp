#include "platform/files/files.h"
#include "platform/system/codepage.h"
#include "platform/system/service_faults.h"

#include "base/sjis.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ror {

int ToSystemPath(char* out, size_t size, const char* path)
{
    char separated[PATH_MAX];
    size_t i = 0;
    for (; path[i] != '\0'; ++i) {
        if (i + 1 >= sizeof separated) return -1;
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsSjisLeadByte(c) && path[i + 1] != '\0') {
            if (i + 2 >= sizeof separated) return -1;
            separated[i] = path[i];
            ++i;
            separated[i] = path[i];
            continue;
        }
        separated[i] = c == '\\' ? '/' : path[i];
    }
    separated[i] = '\0';
    return Cp932ToUtf8Exact(separated, out, size) < 0 ? -1 : 0;
}

int ToLayerPath(char* out, size_t size, const char* systemPath)
{
    const int length = Utf8ToCp932Exact(systemPath, out, size);
    if (length < 0) return -1;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsSjisLeadByte(c) && i + 1 < length) {
            ++i;
            continue;
        }
        // A "\" inside a name of the system would split it in two for the layer.
        if (c == '\\') {
            out[0] = '\0';
            return -1;
        }
    }
    return 0;
}

// folder + "/" + name into `out`: the folder byte for byte (it came from the system, and a "\"
// in it is part of a name), the name converted as a caller's path. -1 when it does not fit.
static int JoinFolder(char* out, size_t size, const char* folder, const char* name)
{
    const size_t folderLength = std::strlen(folder);
    const bool separator = folderLength > 0 && folder[folderLength - 1] != '/';
    const size_t prefix = folderLength + (separator ? 1 : 0);
    if (prefix >= size) return -1;
    std::memcpy(out, folder, folderLength);
    if (separator) out[folderLength] = '/';
    return ToSystemPath(out + prefix, size - prefix, name);
}

static SystemFile OpenConvertedPath(const char* systemPath, FileOpenMode mode, bool exclusive);

SystemFile OpenSystemFile(const char* path, FileOpenMode mode, bool exclusive)
{
    char systemPath[PATH_MAX];
    if (ServiceCallFails(PlatformService::FileOpen)) return kNoSystemFile;
    if (ToSystemPath(systemPath, sizeof systemPath, path) != 0) return kNoSystemFile;
    return OpenConvertedPath(systemPath, mode, exclusive);
}

SystemFile OpenSystemFileInFolder(const char* folder, const char* name, FileOpenMode mode, bool exclusive)
{
    char systemPath[PATH_MAX];
    if (JoinFolder(systemPath, sizeof systemPath, folder, name) != 0) return kNoSystemFile;
    return OpenConvertedPath(systemPath, mode, exclusive);
}

static SystemFile OpenConvertedPath(const char* systemPath, FileOpenMode mode, bool exclusive)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case FileOpenMode::Read: flags |= O_RDONLY; break;
    case FileOpenMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case FileOpenMode::CreateEmpty: flags |= O_WRONLY | O_CREAT; break;
    }
    int fd;
    do {
        fd = open(systemPath, flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kNoSystemFile;
    if (exclusive && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return kNoSystemFile;
    }
    // Emptied only once the lock is ours, so a file another holder has locked stays whole.
    if (mode == FileOpenMode::CreateEmpty && ftruncate(fd, 0) != 0) {
        close(fd);
        return kNoSystemFile;
    }
    return fd;
}

void CloseSystemFile(SystemFile file)
{
    if (file != kNoSystemFile) close(file);
}

// Reads until `size` bytes arrive or the file ends; from `offset` when it is not negative,
// else from the current position.
static int64_t ReadFully(SystemFile file, void* buffer, size_t size, int64_t offset)
{
    size_t done = 0;
    while (done < size) {
        char* into = static_cast<char*>(buffer) + done;
        ssize_t n =
            offset < 0 ? read(file, into, size - done) : pread(file, into, size - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += size_t(n);
    }
    return int64_t(done);
}

int64_t ReadSystemFile(SystemFile file, void* buffer, size_t size) { return ReadFully(file, buffer, size, -1); }

int64_t ReadSystemFileAt(SystemFile file, void* buffer, size_t size, int64_t offset)
{
    return offset < 0 ? -1 : ReadFully(file, buffer, size, offset);
}

int64_t WriteSystemFile(SystemFile file, const void* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(file, static_cast<const char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        done += size_t(n);
    }
    return int64_t(done);
}

int64_t SeekSystemFile(SystemFile file, int64_t offset, int origin)
{
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) return -1;
    off_t position = lseek(file, off_t(offset), whence[origin]);
    return position < 0 ? -1 : int64_t(position);
}

int64_t SystemFileSize(SystemFile file)
{
    struct stat info {};
    if (fstat(file, &info) != 0) return -1;
    return int64_t(info.st_size);
}

int DeleteSystemFile(const char* path)
{
    char systemPath[PATH_MAX];
    if (ToSystemPath(systemPath, sizeof systemPath, path) != 0) return -1;
    return unlink(systemPath) == 0 ? 0 : -1;
}

int DeleteSystemFileInFolder(const char* folder, const char* name)
{
    char systemPath[PATH_MAX];
    if (JoinFolder(systemPath, sizeof systemPath, folder, name) != 0) return -1;
    return unlink(systemPath) == 0 ? 0 : -1;
}

int ReturnToSystemDirectory(const char* folder) { return chdir(folder) == 0 ? 0 : -1; }

int GetSystemWorkingFolder(char* out, size_t size)
{
    if (size == 0 || getcwd(out, size) == nullptr) return -1;
    size_t length = std::strlen(out);
    if (length > 1 && out[length - 1] == '/') out[length - 1] = '\0';
    return 0;
}

int GetSystemCurrentDirectory(char* out, size_t size)
{
    char folder[PATH_MAX];
    if (size == 0 || GetSystemWorkingFolder(folder, sizeof folder) != 0) return -1;
    return ToLayerPath(out, size, folder);
}

int SetSystemCurrentDirectory(const char* path)
{
    char systemPath[PATH_MAX];
    if (ToSystemPath(systemPath, sizeof systemPath, path) != 0) return -1;
    return chdir(systemPath) == 0 ? 0 : -1;
}

}  // namespace ror
