// Files and folders of the operating system, as thin calls with the layer's results.
// A caller's path is the layer's text, cp932, in which "\" is accepted as a separator: it
// becomes "/" and the path UTF-8, as the names on disk are. A path that does not convert
// opens nothing, as a missing file. Names the system gives are converted back to cp932, or
// left out when they do not convert exactly.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ror {

using SystemFile = int;
constexpr SystemFile kNoSystemFile = -1;

enum class FileOpenMode {
    Read,         // existing file, reading
    Append,       // writing at the end, created when missing, kept when present
    CreateEmpty,  // writing, created anew or emptied
};

// Opens a file. `exclusive` takes a lock no other process gets at the same time
// (the log's "no sharing"); the open fails when another holder has it.
SystemFile OpenSystemFile(const char* path, FileOpenMode mode, bool exclusive = false);
void CloseSystemFile(SystemFile file);

// Results: the number of bytes moved, or -1.
int64_t ReadSystemFile(SystemFile file, void* buffer, size_t size);
int64_t ReadSystemFileAt(SystemFile file, void* buffer, size_t size, int64_t offset);
int64_t WriteSystemFile(SystemFile file, const void* data, size_t size);
// New position, or -1. origin: 0 start, 1 current, 2 end.
int64_t SeekSystemFile(SystemFile file, int64_t offset, int origin);
// Size in bytes, or -1.
int64_t SystemFileSize(SystemFile file);

int DeleteSystemFile(const char* path);  // 0 or -1
// The current folder as a layer's path: 0, or -1 when its name does not convert (see
// ToLayerPath). No trailing "/".
int GetSystemCurrentDirectory(char* out, size_t size);
int SetSystemCurrentDirectory(const char* path);  // 0 or -1
// The current folder as the system names it, byte for byte, for the calls below that take a
// folder the system reported: 0 or -1. No trailing "/".
int GetSystemWorkingFolder(char* out, size_t size);

// A file named by a caller (converted as above) in a folder the system reported, which is
// taken byte for byte: a "\" there belongs to a folder's name.
SystemFile OpenSystemFileInFolder(const char* folder, const char* name, FileOpenMode mode, bool exclusive = false);
int DeleteSystemFileInFolder(const char* folder, const char* name);  // 0 or -1
// Goes back to a folder the system reported (GetSystemCurrentDirectory), byte for byte. 0 or -1.
int ReturnToSystemDirectory(const char* folder);

// A caller's path for the system into `out` (capacity `size`): "\" outside two-byte characters
// becomes "/", cp932 becomes UTF-8. -1 when it does not fit or a character does not convert.
int ToSystemPath(char* out, size_t size, const char* path);
// A path or name the system gave, for the layer: UTF-8 to cp932 exactly. -1 when it does not
// fit, does not convert both ways to the same bytes, or holds a "\" that the layer would take
// for a separator: such a name could only lead the layer to a different file.
int ToLayerPath(char* out, size_t size, const char* systemPath);

}  // namespace ror
